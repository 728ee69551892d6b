// Advanced > "Tree Statistics...": the statistics of every tree of the open
// plot in a table that sorts by a click on a column header and whose
// selected rows are the trees selected on the map and in the stem list. Its
// "Save as CSV..." writes exactly what `quenvar stats` writes. Its owner
// computes the table (once per open file, on the worker behind the progress
// window when the plot is large).
#pragma once

#include <wx/frame.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/TreeStats.h"

class wxButton;
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

    // Built hidden.
    TreeStatsWindow(wxWindow* parent, SelectTree select, ComputeTable compute);

    // The open plot's file; empty when it closes or its index tables go.
    // A shown window follows a new plot at once.
    void SetPlot(const wxString& path);
    // Shows the window with the plot's table, computing it first unless the
    // plot keeps it.
    void Present();
    // The trees selected elsewhere, in the order they were selected.
    void ShowSelection(const std::vector<wxString>& trees);

    wxListCtrl* GetList() const { return list; }
    wxButton* GetSaveButton() const { return saveButton; }
    // True while the table is computed.
    bool IsComputing() const { return computing; }

  private:
    void OnClose(wxCloseEvent& event);
    void OnColumnClick(wxListEvent& event);
    void OnSelectionChange(wxListEvent& event);
    void OnSave(wxCommandEvent& event);

    void Compute();
    void TakeTable(std::shared_ptr<const TreeStatsTable> computed, const std::string& error);
    void Fill();
    void SortRows();
    void ReselectRows();
    // Hands the rows selected in the table on to the map and the stem list.
    void FollowTable();

    SelectTree select;
    ComputeTable compute;
    wxString plotPath;
    // Changes with every plot, so that a late result of another one is dropped.
    int generation = 0;
    bool computing = false;
    std::shared_ptr<const TreeStatsTable> table;
    // Each tree's fields as the CSV writes them, and its label.
    std::vector<std::vector<std::string>> fields;
    std::vector<wxString> labels;
    std::vector<size_t> order;  // the table's tree of each row
    int sortColumn = -1;        // -1: the grid's column order
    bool ascending = true;
    std::vector<wxString> selected;  // as the map and the stem list have them
    bool showingSelection = false;
    bool followPending = false;
    wxListCtrl* list = nullptr;
    wxStaticText* note = nullptr;
    wxButton* saveButton = nullptr;

    wxDECLARE_EVENT_TABLE();
};
