// View > Group Trees By in the window: the groups' list selects groups, and
// the group and dominant layers reach the map's legend and the readout.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/listbox.h>
#include <wx/menu.h>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "render/Legend.h"
#include "ui/LayerColumn.h"
#include "ui/LegendPanel.h"
#include "ui/MainWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/Viewer.h"

namespace {

class TreeGroupingTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;

    void SetUp() override {
        window = NewTestWindow();
        window->SetMessageSink([](const wxString& text, const wxString&, long) {
            ADD_FAILURE() << text.utf8_str().data();
        });
        MakeSpeciesTreePlot("plot.db");
        window->OpenDatabase("plot.db");
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    void TearDown() override {
        window->Destroy();
        wxTheApp->ProcessIdle();
    }

    // The readout's two lines at a plot point.
    std::pair<wxString, wxString> ReadAt(double x, double y) {
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(ViewerPixelOf(window, x, y));
        window->GetViewer()->GetEventHandler()->ProcessEvent(motion);
        const ReadoutStatusBar* bar = window->GetReadoutBar();
        return {bar->GetStatusText(1), bar->GetStatusText(2)};
    }
};

}  // namespace

TEST_F(TreeGroupingTest, SelectedGroupIsDrawnNamedAndReadAsTheSumOfItsTrees) {
    const int species = window->GetMenuBar()->FindMenuItem("View", "species");
    ASSERT_NE(species, wxNOT_FOUND);
    wxCommandEvent menu(wxEVT_MENU, species);
    window->GetEventHandler()->ProcessEvent(menu);
    wxListBox* list = window->GetLayerColumn()->GetGrouping().GetList();
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(0), "FASY");
    EXPECT_EQ(list->GetString(1), "(none)");

    list->SetSelection(0);
    wxCommandEvent chosen(wxEVT_LISTBOX, list->GetId());
    chosen.SetEventObject(list);
    chosen.SetInt(0);
    list->GetEventHandler()->ProcessEvent(chosen);
    ToggleLayer(window, "Group Uptake (Blocks)", true);
    ToggleLayer(window, "Dominant Tree (blocks)", true);
    ASSERT_TRUE(WaitUntilIdle(window));

    std::vector<wxString> titles;
    for (const LegendSection& section : window->GetLegendPanel()->GetSections()) {
        titles.push_back(section.title);
    }
    EXPECT_EQ(titles,
              (std::vector<wxString>{"Dominant Tree (blocks)", "FASY: Group Uptake (Blocks)"}));
    // T2 takes up 3 at (7, 2) and T1 nothing; at (2, 2) T1 takes up 4.
    EXPECT_EQ(ReadAt(7.5, 2.5),
              std::make_pair(wxString("cell 7 2: uptake 3, 1 tree, dominant T2 (100 %)"),
                             wxString("FASY 3")));
    EXPECT_EQ(ReadAt(2.5, 2.5).second, "FASY 4");
}
