// The rows of the stem list kept in step with the session's selected stems:
// a row is selected exactly when its tree is. The selection itself is the
// session's; this only shows it and hands on what the user does in the list.
#pragma once

#include <wx/string.h>

#include <vector>

class PlotSession;
class wxListBox;

class StemSelection {
  public:
    StemSelection(wxListBox* list, PlotSession& session) : list(list), session(session) {}

    // The trees of the open plot (or none) in the list, none selected.
    void Refill();
    // Selects the rows of the selected stems and no others, without events.
    void ShowSelection();
    // The session follows the rows the list shows selected, however many
    // changed: dropped rows first, then new ones, lastRow last.
    void FollowList(int lastRow);

    // The rows of the selected stems that have one, in selection order, each once.
    std::vector<int> GetRows() const;
    // The trees of those rows.
    std::vector<wxString> GetRowStems() const;

  private:
    int RowOf(const wxString& stem) const;

    wxListBox* list;
    PlotSession& session;
};
