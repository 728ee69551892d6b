// Advanced > "Tree Statistics...": the statistics of every tree of the open
// plot in a table that sorts by a click on a column header and whose
// selected rows are the trees selected on the map and in the stem list. Its
// "Save as CSV..." writes exactly what `quenvar stats` writes. Its owner
// computes the table (once per open file, on the worker behind the progress
// window when the plot is large). While the map's trees are grouped, its
// "Rows" choice shows one row per group instead, as `quenvar stats --by`
// writes them; those rows select nothing on the map.
#pragma once

#include <wx/frame.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/GroupStats.h"
#include "data/TreeStats.h"

class wxButton;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

class TreeStatsWindow : public wxFrame {
  public:
    // Asks for a tree to be selected (true) or deselected on the map and in
    // the stem list.
    using SelectTree = std::function<void(const wxString& tree, bool selected)>;
    // Computes the open plot's table and hands it on, with the reason when
    // it could not be computed.
    using TableDone =
        std::function<void(std::shared_ptr<const TreeStatsTable> table, const std::string& error)>;
    using ComputeTable = std::function<void(TableDone done)>;
    using GroupsDone =
        std::function<void(std::shared_ptr<const GroupStatsTable> table, const std::string& error)>;
    using ComputeGroups = std::function<void(GroupsDone done)>;

    // Built hidden.
    TreeStatsWindow(wxWindow* parent, SelectTree select, ComputeTable compute,
                    ComputeGroups computeGroups);

    // The open plot's file; empty when it closes or its index tables go.
    // A shown window follows a new plot at once.
    void SetPlot(const wxString& path);
    // Shows the window with the plot's table, computing it first unless the
    // plot keeps it.
    void Present();
    // The trees selected elsewhere, in the order they were selected.
    void ShowSelection(const std::vector<wxString>& trees);
    // The stem column the map's trees are grouped by (empty: none); the
    // rows of groups are offered while there is one.
    void SetGrouping(const wxString& column);
    // Shows one row per group (true) or per tree, as the "Rows" choice does.
    void ShowGroups(bool groups);

    wxListCtrl* GetList() const { return list; }
    wxButton* GetSaveButton() const { return saveButton; }
    wxChoice* GetRowsChoice() const { return rowsChoice; }
    // True while the table is computed.
    bool IsComputing() const { return computing; }

  private:
    void OnClose(wxCloseEvent& event);
    void OnColumnClick(wxListEvent& event);
    void OnSelectionChange(wxListEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnRowsChoice(wxCommandEvent& event);

    void Compute();
    void TakeTable(std::shared_ptr<const TreeStatsTable> computed, const std::string& error);
    void TakeGroups(std::shared_ptr<const GroupStatsTable> computed, const std::string& error);
    // The rows' fields and names from the table shown, and the note under them.
    void ShowTable(const std::string& error);
    void ShowColumns();
    const std::vector<std::string>& Columns() const;
    void Fill();
    void SortRows();
    void ReselectRows();
    // Hands the rows selected in the table on to the map and the stem list.
    void FollowTable();

    SelectTree select;
    ComputeTable compute;
    ComputeGroups computeGroups;
    wxString plotPath;
    wxString grouping;
    bool byGroups = false;
    // Changes with every plot, so that a late result of another one is dropped.
    int generation = 0;
    bool computing = false;
    std::shared_ptr<const TreeStatsTable> table;
    std::shared_ptr<const GroupStatsTable> groupTable;
    // Each row's fields as the CSV writes them, and its label.
    std::vector<std::vector<std::string>> fields;
    std::vector<wxString> labels;
    std::vector<size_t> order;  // the table's tree or group of each row
    int sortColumn = -1;        // -1: the grid's column order
    bool ascending = true;
    std::vector<wxString> selected;  // as the map and the stem list have them
    bool showingSelection = false;
    bool followPending = false;
    wxListCtrl* list = nullptr;
    wxStaticText* note = nullptr;
    wxButton* saveButton = nullptr;
    wxChoice* rowsChoice = nullptr;

    wxDECLARE_EVENT_TABLE();
};
