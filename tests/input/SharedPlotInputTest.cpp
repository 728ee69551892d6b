// The window on a plot file that another program writes: it keeps answering
// while the file is locked, and offers a Reload when the file has changed or
// another file has taken its name.
#include <unistd.h>
#include <wx/infobar.h>

#include <chrono>
#include <cstdlib>

#include "InputSupport.h"
#include "MainWindowSupport.h"
#include "ui/ChangeBar.h"
#include "ui/MainWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/Viewer.h"

namespace {

using namespace std::chrono_literals;

class SharedPlotInputTest : public InputWindowTest {
  protected:
    Viewer* viewer = nullptr;
    ReadoutStatusBar* bar = nullptr;

    void SetUp() override {
        InputWindowTest::SetUp();
        OpenPlot();
        viewer = window->GetViewer();
        bar = window->GetReadoutBar();
        Tick("Total Nitrogen Uptake (blocks)");
        window->SelectStem("T2");
        ASSERT_TRUE(WaitUntilIdle(window));
        ASSERT_TRUE(WaitUntilActive(window));
    }

    // Moves the real pointer to a plot point; whether the readout followed within a second.
    bool PointerReads(double x, double y, const wxString& cell) {
        input.MoveTo(viewer, PixelOf(x, y));
        return PumpUntil([&] { return bar->GetStatusText(1) == cell; }, 1s);
    }
};

TEST_F(SharedPlotInputTest, LockedFileKeepsTheWindowAnsweringAndSaysSo) {
    input.Click(viewer, PixelOf(7.0, 3.0));  // the keyboard to the map, on T2's own stem
    ASSERT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == viewer; }));
    LockHolder writer("plot.db", "BEGIN EXCLUSIVE", 8s);
    // The child has the lock once the window's own reads find the file busy.
    ASSERT_TRUE(PumpUntil([this] {
        window->RedrawLayers();
        return bar->IsFileBusy();
    }));
    EXPECT_TRUE(PointerReads(7.5, 2.5, "cell 7 2: uptake 3, 1 tree"));
    EXPECT_TRUE(PointerReads(2.5, 2.5, "cell 2 2: uptake 4, 1 tree"));
    input.Key('+');
    EXPECT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed in.") == 1; }, 1s));
    EXPECT_EQ(bar->GetStatusText(4), "the file is busy (another program is writing it)");

    // Once the lock clears the picture is drawn and the bar says nothing more.
    ASSERT_TRUE(PumpUntil([this] { return !bar->IsFileBusy(); }));
    EXPECT_TRUE(PointerReads(7.5, 2.5, "cell 7 2: uptake 3, 1 tree"));
    EXPECT_EQ(bar->GetStatusText(2), "T2 3");
    EXPECT_FALSE(window->GetChangeBar()->IsShown());
}

TEST_F(SharedPlotInputTest, ChangeByAnotherProgramOffersReloadWhichKeepsViewAndSelection) {
    input.Click(viewer, PixelOf(7.0, 3.0));
    ASSERT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == viewer; }));
    input.Key('+');
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed in.") == 1; }));
    const PlotRect view = window->OpenSession()->GetView();
    {
        LockHolder writer("plot.db", "BEGIN IMMEDIATE", 200ms, "UPDATE grid SET T2 = T2 * 10");
        ASSERT_TRUE(PumpUntil([this] { return window->GetChangeBar()->IsShown(); }));
    }
    // Nothing was reloaded without the user.
    EXPECT_TRUE(PointerReads(7.5, 2.5, "cell 7 2: uptake 3, 1 tree"));

    input.Key(WXK_F5);
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "Reload chosen.") == 1; }));
    ASSERT_TRUE(WaitUntilIdle(window));
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_FALSE(window->GetChangeBar()->IsShown());
    const PlotRect now = window->OpenSession()->GetView();
    EXPECT_EQ(now.xMin, view.xMin);
    EXPECT_EQ(now.yMax, view.yMax);
    EXPECT_EQ(now.Width(), view.Width());
    EXPECT_EQ(window->OpenSession()->GetSelected(), std::vector<wxString>{"T2"});
    EXPECT_EQ(window->GetCurrentStem(), "T2");
    EXPECT_TRUE(PointerReads(7.5, 2.5, "cell 7 2: uptake 30, 1 tree"));
    EXPECT_EQ(bar->GetStatusText(2), "T2 30");
}

// Another program saves the plot as most programs save safely: a new file
// renamed over the old one. The bar says so at its next look, nothing more
// goes into the old file, and Reload opens the new one.
TEST_F(SharedPlotInputTest, PlotReplacedByARenameRaisesTheBarAndIsReloadedFromItsName) {
    ASSERT_EQ(link("plot.db", "old.db"), 0);  // the old file, by a name of its own
    const auto replaced = std::chrono::steady_clock::now();
    ASSERT_EQ(std::system("cp plot.db new.db && sqlite3 new.db 'UPDATE grid SET T1 = 2 * T1' && "
                          "mv new.db plot.db"),
              0);
    ASSERT_TRUE(PumpUntil([this] { return window->GetChangeBar()->IsShown(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - replaced, 2s);
    EXPECT_EQ(CountOf(RunMessages(), "File replaced on disk: plot.db"), 1);

    // T1's set is not made, which would write its index table into the old file.
    const std::vector<std::string> oldTables =
        QueryColumn("old.db", "SELECT name FROM sqlite_master WHERE type = 'table'");
    window->SelectStem("T1");
    ASSERT_TRUE(WaitUntilIdle(window));
    EXPECT_EQ(QueryColumn("old.db", "SELECT name FROM sqlite_master WHERE type = 'table'"),
              oldTables);

    input.Key(WXK_F5);
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "Reload chosen.") == 1; }));
    ASSERT_TRUE(WaitUntilIdle(window));
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_DOUBLE_EQ(window->OpenSession()->GetPlot().GetUptakeGrid()->GetMaxValue(), 8.0);
    EXPECT_FALSE(window->GetChangeBar()->IsShown());
}

}  // namespace
