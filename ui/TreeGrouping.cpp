#include "ui/TreeGrouping.h"

#include <wx/defs.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "ui/LayerBoxes.h"
#include "ui/MainMenu.h"
#include "ui/PlotSession.h"
#include "ui/StemList.h"

namespace {

const char* const kNoGrouping = "&No Grouping";
const char* const kCaption = "Group Trees By";

// A menu label shows a column's name as it is: "&" is no mnemonic there.
wxString MenuText(const std::string& name) {
    wxString text = wxString::FromUTF8(name.c_str());
    text.Replace("&", "&&");
    return text;
}

}  // namespace

TreeGrouping::TreeGrouping(wxWindow* panel, wxMenu* groupMenu, PlotSession& session,
                           LayerBoxes& boxes, std::function<void()> changed, Inform inform)
    : panel(panel),
      menu(groupMenu),
      session(session),
      changed(std::move(changed)),
      inform(std::move(inform)),
      sizer(new wxBoxSizer(wxVERTICAL)),
      groupsBox(new wxStaticBoxSizer(new wxStaticBox(panel, wxID_ANY, "Groups"), wxVERTICAL)),
      layersBox(boxes.GetGroupSizer()),
      list(new StemList(panel)) {
    groupsBox->SetMinSize(-1, 80);
    list->SetMinSize(wxSize(-1, 60));
    groupsBox->Add(list, 1, wxEXPAND);
    sizer->Add(layersBox, 0, wxEXPAND);
    sizer->Add(groupsBox, 1, wxEXPAND);
    // Handled here, and not passed on to the window's handler of the stem list.
    list->Bind(wxEVT_LISTBOX, &TreeGrouping::OnListSelection, this);
    Refill();
}

void TreeGrouping::Refill() {
    while (menu->GetMenuItemCount() > 0) {
        menu->Destroy(menu->FindItemByPosition(0));
    }
    menu->AppendRadioItem(ID_GROUP_NONE, kNoGrouping);
    columns.clear();
    if (session.IsOpen()) {
        columns = session.GetPlot().GetStemAttributes().Columns();
        columns.resize(
            std::min<size_t>(columns.size(), ID_GROUP_COLUMN_LAST - ID_GROUP_COLUMN_FIRST));
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        menu->AppendRadioItem(ID_GROUP_COLUMN_FIRST + int(i), MenuText(columns[i]));
    }
    ShowGrouping();
}

void TreeGrouping::GroupBy(const std::string& column) {
    std::string error;
    if (session.IsOpen() && !session.GroupBy(column, error)) {
        inform(wxString::FromUTF8(error.c_str()) +
                   ". Choose a column that names the trees' species or another group.",
               kCaption, wxOK | wxICON_WARNING);
    }
    ShowGrouping();
    changed();
}

bool TreeGrouping::Command(int id) {
    if (id == ID_GROUP_NONE) {
        GroupBy(std::string());
        return true;
    }
    const int at = id - ID_GROUP_COLUMN_FIRST;
    if (at < 0 || at >= int(columns.size())) {
        return false;
    }
    GroupBy(columns[size_t(at)]);
    return true;
}

// The boxes, the list and the menu's tick show the session's grouping.
void TreeGrouping::ShowGrouping() {
    const std::string& column = session.IsOpen() ? session.GetGroupColumn() : std::string();
    const auto found = std::find(columns.begin(), columns.end(), column);
    const int item = column.empty() || found == columns.end()
                         ? ID_GROUP_NONE
                         : ID_GROUP_COLUMN_FIRST + int(found - columns.begin());
    menu->Check(item, true);
    list->Clear();
    const TreeGroups* groups = column.empty() ? nullptr : session.GetPlot().GetTreeGroups();
    if (groups) {
        groupsBox->GetStaticBox()->SetLabelText("Groups by " + wxString::FromUTF8(column.c_str()));
        for (const std::string& name : groups->names) {
            list->Append(wxString::FromUTF8(name.c_str()));
        }
        for (const wxString& selected : session.GetSelectedGroups()) {
            const int row = list->FindString(selected, true);
            if (row != wxNOT_FOUND) {
                list->SetSelection(row, true);
            }
        }
    }
    sizer->ShowItems(groups != nullptr);
    panel->Layout();
}

// Rows still selected keep their order; new ones follow, the clicked one last.
void TreeGrouping::OnListSelection(wxCommandEvent& event) {
    Log(LOG_RUN, "Groups list selection modified.");
    std::vector<wxString> selected;
    for (const wxString& group : session.GetSelectedGroups()) {
        const int row = list->FindString(group, true);
        if (row != wxNOT_FOUND && list->IsSelected(row)) {
            selected.push_back(group);
        }
    }
    const int clicked = event.IsSelection() ? event.GetSelection() : -1;
    for (int row = 0; row < int(list->GetCount()); ++row) {
        const wxString group = list->GetString(row);
        if (row != clicked && list->IsSelected(row) &&
            std::find(selected.begin(), selected.end(), group) == selected.end()) {
            selected.push_back(group);
        }
    }
    if (clicked >= 0 && list->IsSelected(clicked) &&
        std::find(selected.begin(), selected.end(), list->GetString(clicked)) == selected.end()) {
        selected.push_back(list->GetString(clicked));
    }
    session.SetSelectedGroups(selected);
    changed();
}
