// The statistics window and the map select the same trees.
#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>

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
