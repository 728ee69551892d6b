// View > Group Trees By and the main window's boxes of groups: the stem
// column the open plot's trees are grouped by, chosen among its stem
// columns, and the list of the groups it makes, whose rows select groups
// as the stem list selects trees (a plain click toggles its row). The
// boxes show only while the trees are grouped. The grouping and the
// selected groups are the session's; this shows them and hands on what the
// user does.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

class LayerBoxes;
class PlotSession;
class wxCommandEvent;
class wxListBox;
class wxMenu;
class wxSizer;
class wxStaticBoxSizer;
class wxWindow;

class TreeGrouping {
  public:
    using Inform = std::function<void(const wxString& text, const wxString& caption, long style)>;

    // The boxes go on the panel, under the layer boxes' own; changed is
    // called after every change of the grouping or of the selected groups.
    TreeGrouping(wxWindow* panel, wxMenu* groupMenu, PlotSession& session, LayerBoxes& boxes,
                 std::function<void()> changed, Inform inform);

    // The sizer that holds both boxes, for the caller to place.
    wxSizer* GetSizer() const { return sizer; }
    wxListBox* GetList() const { return list; }

    // The menu lists the open plot's stem columns, and the boxes its
    // grouping and groups (none without a plot).
    void Refill();
    // Groups the trees by the column (empty: no grouping), as the menu does.
    void GroupBy(const std::string& column);
    // Handles a command of the menu; false for any other.
    bool Command(int id);

  private:
    void OnListSelection(wxCommandEvent& event);
    void ShowGrouping();

    wxWindow* panel;
    wxMenu* menu;
    PlotSession& session;
    std::function<void()> changed;
    Inform inform;
    std::vector<std::string> columns;  // of the menu's items, in order
    wxSizer* sizer;
    wxStaticBoxSizer* groupsBox;
    wxStaticBoxSizer* layersBox;
    wxListBox* list;
};
