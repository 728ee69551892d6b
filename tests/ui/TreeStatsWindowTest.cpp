// The statistics window and the map select the same trees.
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "ui/MainMenu.h"
#include "ui/TreeStatsWindow.h"

namespace {

long RowOf(wxListCtrl* list, const wxString& tree) {
    return list->FindItem(-1, tree);
}

bool RowSelected(wxListCtrl* list, const wxString& tree) {
    return list->GetItemState(RowOf(list, tree), wxLIST_STATE_SELECTED) != 0;
}

}  // namespace

TEST(TreeStatsWindow, SelectingARowSelectsTheTreeOnTheMapAndBack) {
    TempDir dir;
    MainWindow* window = NewTestWindow();
    MakeTreePlot("plot.db");
    window->OpenDatabase("plot.db");
    ASSERT_TRUE(PumpUntil([&] { return window->OpenSession() && !ShownProgressWindow(window); }));
    // Computed on the worker, as a large plot would be.
    PlotSession::SetStatsWorkerThreshold(0);
    TreeStatsWindow* stats = window->GetStatsWindow();
    wxCommandEvent menu(wxEVT_MENU, ID_TREE_STATS);
    window->GetEventHandler()->ProcessEvent(menu);
    EXPECT_TRUE(stats->IsShown());
    ASSERT_TRUE(PumpUntil([&] { return !stats->IsComputing() && !ShownProgressWindow(stats); }));
    wxListCtrl* list = stats->GetList();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_NE(window->OpenSession()->GetPlot().GetTreeStats(), nullptr);

    // A click on T2's row, as the list reports it.
    const long row = RowOf(list, "T2");
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxListEvent click(wxEVT_LIST_ITEM_SELECTED, list->GetId());
    click.m_itemIndex = row;
    list->GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<wxString> lit = window->OpenSession()->GetSelected();
        return std::find(lit.begin(), lit.end(), "T2") != lit.end();
    }));
    EXPECT_TRUE(window->GetStemList()->IsSelected(window->GetStemList()->FindString("T2")));

    // The map's selection shows in the table.
    window->SelectStem("T3");
    ASSERT_TRUE(WaitUntilIdle(window));  // T3's own set is made first
    EXPECT_TRUE(RowSelected(list, "T3"));
    EXPECT_TRUE(RowSelected(list, "T2"));
    window->DeselectStem("T2");
    EXPECT_FALSE(RowSelected(list, "T2"));
    PlotSession::SetStatsWorkerThreshold(500000);
    window->Destroy();
    wxTheApp->ProcessIdle();
}

// With the map's trees grouped, the table's rows may be the groups: a
// group's uptake is its trees' sum, and trees without a species make
// "(none)". Ungrouping brings the trees back.
TEST(TreeStatsWindow, RowsOfTheMapsGroupsSumTheirTrees) {
    TempDir dir;
    MainWindow* window = NewTestWindow();
    MakeSpeciesTreePlot("plot.db");
    window->OpenDatabase("plot.db");
    ASSERT_TRUE(WaitUntilIdle(window));
    PlotSession::SetStatsWorkerThreshold(0);
    TreeStatsWindow* stats = window->GetStatsWindow();
    stats->Present();
    const auto computed = [&] { return !stats->IsComputing() && !ShownProgressWindow(stats); };
    ASSERT_TRUE(PumpUntil(computed));
    EXPECT_FALSE(stats->GetRowsChoice()->IsEnabled());
    wxListCtrl* list = stats->GetList();
    const auto number = [&](const wxString& row, int column) {
        return std::stod(list->GetItemText(RowOf(list, row), column).ToStdString());
    };
    const auto uptake = [&](const wxString& tree) { return number(tree, 3); };
    const double t1 = uptake("T1"), t2 = uptake("T2"), t3 = uptake("T3");

    wxCommandEvent species(wxEVT_MENU, window->GetMenuBar()->FindMenuItem("View", "species"));
    window->GetEventHandler()->ProcessEvent(species);
    ASSERT_TRUE(stats->GetRowsChoice()->IsEnabled());
    stats->ShowGroups(true);
    ASSERT_TRUE(PumpUntil(computed));
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemText(RowOf(list, "FASY"), 1), "2");  // trees
    EXPECT_NEAR(number("FASY", 2), t1 + t2, 1e-9);
    EXPECT_NEAR(number("(none)", 2), t3, 1e-9);

    wxCommandEvent none(wxEVT_MENU, window->GetMenuBar()->FindMenuItem("View", "No Grouping"));
    window->GetEventHandler()->ProcessEvent(none);
    EXPECT_FALSE(stats->GetRowsChoice()->IsEnabled());
    EXPECT_NEAR(uptake("T1"), t1, 0.0);
    PlotSession::SetStatsWorkerThreshold(500000);
    window->Destroy();
    wxTheApp->ProcessIdle();
}
