// The stems the user has selected, kept in step between the rows of the stem
// list, the overlay of highlighted stems and the inspector; every change is
// logged once on the run channel.
#pragma once

#include <wx/string.h>

#include <vector>

class InspectWindow;
class RenderHelper;
class wxListBox;

class StemSelection {
  public:
    StemSelection(wxListBox* list, InspectWindow* inspector) : list(list), inspector(inspector) {}

    // The trees of a new data set (or none) in the list, none selected. The
    // inspector keeps showing the last stem.
    void Refill(RenderHelper* helper);
    // Highlights and inspects the stem, and selects its row; a row is
    // recorded once, however often it is selected.
    void Select(RenderHelper& helper, const wxString& stem);
    void Deselect(RenderHelper& helper, const wxString& stem);
    // Shows the stem in the inspector, as the current stem, without
    // selecting it; an empty stem clears the inspector.
    void Inspect(RenderHelper& helper, const wxString& stem);
    // The selection becomes the rows the list shows selected, however many
    // changed: dropped rows first, then new ones, lastRow last.
    void FollowList(RenderHelper& helper, int lastRow);
    // No row and no highlight is left; the inspector keeps its stem.
    void Clear(RenderHelper& helper);

    // Rows of the list in the order they were selected, each once.
    const std::vector<int>& GetRows() const { return rows; }
    // The trees of those rows.
    std::vector<wxString> GetRowStems() const;
    const wxString& GetCurrentStem() const { return currentStem; }

  private:
    int RowOf(const wxString& stem) const;
    bool IsRow(int row) const;

    wxListBox* list;
    InspectWindow* inspector;
    std::vector<int> rows;
    wxString currentStem;
};
