#include "ui/TreeStatsWindow.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <numeric>

#include "base/Log.h"
#include "base/NumberText.h"
#include "base/PendingFile.h"
#include "base/Text.h"
#include "cli/StatsCommand.h"

namespace {

const char* const kTitle = "Tree Statistics";
const char* const kSaveLabel = "Save as CSV...";
const char* const kSaveMessage = "Save the Tree Statistics As...";
const char* const kCsvWildcard = "CSV Files (*.csv)|*.csv";
const char* const kNoPlot = "No plot is open.";
const char* const kTreeRows = "Trees";
const char* const kCouldNot =
    "could not be computed: %s. Close any other program that changes the file, then choose "
    "Tree Statistics again.";

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(TreeStatsWindow, wxFrame)
    EVT_CLOSE(TreeStatsWindow::OnClose)
    EVT_LIST_COL_CLICK(wxID_ANY, TreeStatsWindow::OnColumnClick)
    EVT_LIST_ITEM_SELECTED(wxID_ANY, TreeStatsWindow::OnSelectionChange)
    EVT_LIST_ITEM_DESELECTED(wxID_ANY, TreeStatsWindow::OnSelectionChange)
    EVT_BUTTON(wxID_SAVE, TreeStatsWindow::OnSave)
    EVT_CHOICE(wxID_ANY, TreeStatsWindow::OnRowsChoice)
wxEND_EVENT_TABLE();
// clang-format on

TreeStatsWindow::TreeStatsWindow(wxWindow* parent, SelectTree select, ComputeTable compute,
                                 ComputeGroups computeGroups)
    : wxFrame(parent, wxID_ANY, kTitle, wxDefaultPosition, wxSize(1100, 420),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      select(std::move(select)),
      compute(std::move(compute)),
      computeGroups(std::move(computeGroups)) {
    wxPanel* panel = new wxPanel(this);
    list = new wxListCtrl(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxLC_REPORT | wxBORDER_SUNKEN);
    ShowColumns();
    note = new wxStaticText(panel, wxID_ANY, kNoPlot);
    rowsChoice = new wxChoice(panel, wxID_ANY);
    rowsChoice->Append(kTreeRows);
    rowsChoice->SetSelection(0);
    rowsChoice->Disable();
    saveButton = new wxButton(panel, wxID_SAVE, kSaveLabel);
    saveButton->Disable();

    wxBoxSizer* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(note, 1, wxALIGN_CENTER_VERTICAL);
    bottom->Add(new wxStaticText(panel, wxID_ANY, "Rows:"), 0,
                wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 5);
    bottom->Add(rowsChoice, 0, wxRIGHT, 10);
    bottom->Add(saveButton, 0);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(list, 1, wxEXPAND | wxALL, 5);
    sizer->Add(bottom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 5);
    panel->SetSizer(sizer);
}

void TreeStatsWindow::SetPlot(const wxString& path) {
    plotPath = path;
    ++generation;
    computing = false;
    groupTable.reset();
    TakeTable(nullptr, std::string());
    if (!plotPath.empty() && IsShown()) {
        Compute();
    }
}

void TreeStatsWindow::Present() {
    Log(LOG_RUN, "Tree statistics shown.");
    Show();
    Raise();
    Compute();
}

void TreeStatsWindow::SetGrouping(const wxString& column) {
    if (column == grouping) {
        return;
    }
    grouping = column;
    groupTable.reset();
    rowsChoice->Clear();
    rowsChoice->Append(kTreeRows);
    if (!grouping.empty()) {
        rowsChoice->Append("Groups by " + grouping);
    }
    rowsChoice->Enable(!grouping.empty());
    ShowGroups(byGroups && !grouping.empty());
}

void TreeStatsWindow::ShowGroups(bool groups) {
    groups = groups && !grouping.empty();
    rowsChoice->SetSelection(groups ? 1 : 0);
    if (groups != byGroups) {
        Log(LOG_RUN, groups ? "Tree statistics by group." : "Tree statistics by tree.");
        byGroups = groups;
        ShowColumns();
    }
    ShowTable(std::string());
    if (IsShown()) {
        Compute();
    }
}

void TreeStatsWindow::ShowColumns() {
    list->ClearAll();
    sortColumn = -1;
    ascending = true;
    const std::vector<std::string>& columns = Columns();
    for (size_t column = 0; column < columns.size(); ++column) {
        list->AppendColumn(wxString::FromUTF8(columns[column].c_str()),
                           column == 0 ? wxLIST_FORMAT_LEFT : wxLIST_FORMAT_RIGHT);
    }
}

const std::vector<std::string>& TreeStatsWindow::Columns() const {
    return byGroups ? GroupStatsColumns() : StatsColumns();
}

void TreeStatsWindow::ShowSelection(const std::vector<wxString>& trees) {
    selected = trees;
    // While the table's own selection is handed on, the list is already right.
    if (!showingSelection) {
        ReselectRows();
    }
}

// ---------------------------------------------------------------------------
// Computing the table

// One table is computed at a time; the one shown, once the other is in.
void TreeStatsWindow::Compute() {
    if (plotPath.empty() || computing || (byGroups ? groupTable != nullptr : table != nullptr)) {
        return;
    }
    computing = true;
    wxWeakRef<TreeStatsWindow> self(this);
    const int asked = generation;
    if (!byGroups) {
        note->SetLabel("Computing the tree statistics...");
        compute([self, asked](std::shared_ptr<const TreeStatsTable> computed,
                              const std::string& error) {
            // The window may have gone, or moved on to another plot, meanwhile.
            if (self && self->generation == asked) {
                self->computing = false;
                self->TakeTable(std::move(computed), error);
            }
        });
        return;
    }
    note->SetLabel("Computing the statistics of the groups...");
    const wxString column = grouping;
    computeGroups([self, asked, column](std::shared_ptr<const GroupStatsTable> computed,
                                        const std::string& error) {
        if (self && self->generation == asked) {
            self->computing = false;
            self->TakeGroups(self->grouping == column ? std::move(computed) : nullptr, error);
        }
    });
}

void TreeStatsWindow::TakeTable(std::shared_ptr<const TreeStatsTable> computed,
                                const std::string& error) {
    table = std::move(computed);
    if (!byGroups) {
        ShowTable(error);
    } else if (IsShown()) {
        Compute();
    }
}

void TreeStatsWindow::TakeGroups(std::shared_ptr<const GroupStatsTable> computed,
                                 const std::string& error) {
    groupTable = std::move(computed);
    if (byGroups) {
        ShowTable(groupTable ? std::string() : error);
    }
    if (IsShown()) {
        Compute();
    }
}

void TreeStatsWindow::ShowTable(const std::string& error) {
    fields.clear();
    labels.clear();
    const bool shown = !plotPath.empty() && (byGroups ? groupTable != nullptr : table != nullptr);
    if (shown && byGroups) {
        for (const GroupStats& group : groupTable->groups) {
            fields.push_back(GroupStatsFields(group));
            labels.push_back(wxString::FromUTF8(group.group.c_str()));
        }
    } else if (shown) {
        for (const TreeStats& tree : table->trees) {
            fields.push_back(StatsFields(tree));
            labels.push_back(wxString::FromUTF8(tree.tree.c_str()));
        }
    }
    const wxString what = byGroups ? "The statistics of the groups by \"" + grouping + "\" of \""
                                   : wxString("The tree statistics of \"");
    if (plotPath.empty()) {
        note->SetLabel(kNoPlot);
    } else if (!shown && !error.empty()) {
        note->SetLabel(what + plotPath + "\" " +
                       wxString::Format(kCouldNot, wxString::FromUTF8(error.c_str())));
    } else if (!shown) {
        note->SetLabel(wxString());
    } else {
        note->SetLabel(wxString::Format(byGroups ? "%zu groups" : "%zu trees", fields.size()));
    }
    saveButton->Enable(shown);
    SortRows();
    Fill();
    // Wide enough for nine digits, once for each new table.
    for (int column = 0; shown && column < list->GetColumnCount(); ++column) {
        list->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    }
}

// ---------------------------------------------------------------------------
// The rows

void TreeStatsWindow::SortRows() {
    order.resize(fields.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (sortColumn <= 0) {
        if (sortColumn == 0) {
            std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
                return ascending ? fields[a][0] < fields[b][0] : fields[b][0] < fields[a][0];
            });
        }
        return;
    }
    // Numbers as written; trees without a value come last either way.
    const size_t column = size_t(sortColumn);
    std::vector<std::optional<double>> keys;
    for (const std::vector<std::string>& row : fields) {
        keys.push_back(ParseNumber(row[column]));
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (!keys[a] || !keys[b]) {
            return keys[a].has_value() && !keys[b].has_value();
        }
        return ascending ? *keys[a] < *keys[b] : *keys[b] < *keys[a];
    });
}

void TreeStatsWindow::Fill() {
    showingSelection = true;
    list->Freeze();
    list->DeleteAllItems();
    for (size_t row = 0; row < order.size(); ++row) {
        const std::vector<std::string>& values = fields[order[row]];
        const long item = list->InsertItem(long(row), labels[order[row]]);
        for (size_t column = 1; column < values.size(); ++column) {
            list->SetItem(item, int(column), wxString::FromUTF8(values[column].c_str()));
        }
    }
    list->Thaw();
    showingSelection = false;
    ReselectRows();
}

// Rows of groups select nothing: they stay as the user leaves them.
void TreeStatsWindow::ReselectRows() {
    if (byGroups) {
        return;
    }
    showingSelection = true;
    for (size_t row = 0; row < order.size(); ++row) {
        const bool wanted =
            std::find(selected.begin(), selected.end(), labels[order[row]]) != selected.end();
        const bool shown = list->GetItemState(long(row), wxLIST_STATE_SELECTED) != 0;
        if (wanted != shown) {
            list->SetItemState(long(row), wanted ? wxLIST_STATE_SELECTED : 0,
                               wxLIST_STATE_SELECTED);
        }
    }
    showingSelection = false;
}

void TreeStatsWindow::FollowTable() {
    if (byGroups) {
        return;
    }
    std::vector<wxString> inTable;
    for (size_t row = 0; row < order.size(); ++row) {
        if (list->GetItemState(long(row), wxLIST_STATE_SELECTED) != 0) {
            inTable.push_back(labels[order[row]]);
        }
    }
    const std::vector<wxString> before = selected;
    // The map's answers come back through ShowSelection; the list is right already.
    showingSelection = true;
    for (const wxString& tree : before) {
        const bool listed = std::find(labels.begin(), labels.end(), tree) != labels.end();
        if (listed && std::find(inTable.begin(), inTable.end(), tree) == inTable.end()) {
            select(tree, false);
        }
    }
    for (const wxString& tree : inTable) {
        if (std::find(before.begin(), before.end(), tree) == before.end()) {
            select(tree, true);
        }
    }
    showingSelection = false;
    ReselectRows();
}

// ---------------------------------------------------------------------------
// Events

void TreeStatsWindow::OnClose(wxCloseEvent& event) {
    // Closed by the user it only hides, keeping its table; it goes with the main window.
    if (event.CanVeto()) {
        event.Veto();
        Hide();
        return;
    }
    event.Skip();
}

void TreeStatsWindow::OnColumnClick(wxListEvent& event) {
    const int column = event.GetColumn();
    if (column < 0) {
        return;
    }
    Log(LOG_RUN, "Tree statistics sorted by %s.", Columns()[size_t(column)].c_str());
    ascending = column == sortColumn ? !ascending : true;
    sortColumn = column;
    list->ShowSortIndicator(column, ascending);
    SortRows();
    Fill();
}

// GTK and the list may change many rows for one click (a range, a plain
// click that replaces the selection); they are handed on once, together.
void TreeStatsWindow::OnSelectionChange(wxListEvent&) {
    if (showingSelection || followPending) {
        return;
    }
    followPending = true;
    CallAfter([this] {
        followPending = false;
        FollowTable();
    });
}

void TreeStatsWindow::OnSave(wxCommandEvent&) {
    if ((byGroups ? !groupTable : !table) || plotPath.empty()) {
        return;
    }
    Log(LOG_RUN, "Tree statistics saved.");
    wxFileDialog dialog(this, kSaveMessage, wxEmptyString,
                        byGroups ? "group-statistics.csv" : "tree-statistics.csv", kCsvWildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    const std::string path = Utf8(dialog.GetPath());
    std::string error;
    if (!CheckOutputPath(path, "the table", "the database file", {Utf8(plotPath)}, error) ||
        !WriteTextFile(path, byGroups ? GroupStatsCsv(*groupTable) : StatsCsv(*table), error)) {
        wxMessageBox(wxString::FromUTF8(error.c_str()), kTitle, wxOK | wxICON_ERROR, this);
    }
}

void TreeStatsWindow::OnRowsChoice(wxCommandEvent& event) {
    ShowGroups(event.GetSelection() == 1);
}
