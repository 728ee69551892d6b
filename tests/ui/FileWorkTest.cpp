// Work on the open file that fails or waits: the window always ends usable,
// with a message, and never shows data the file no longer backs.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/listbox.h>

#include <chrono>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "base/Dispatcher.h"
#include "db/Connection.h"
#include "render/Legend.h"
#include "ui/BackgroundJob.h"
#include "ui/LegendPanel.h"
#include "ui/MainMenu.h"
#include "ui/MainWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/Viewer.h"

namespace {

using namespace std::chrono_literals;

class FileWorkTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    std::vector<wxString> messages;

    void SetUp() override {
        window = NewTestWindow();
        window->SetMessageSink(
            [this](const wxString& text, const wxString&, long) { messages.push_back(text); });
        MakeTreePlot("plot.db");
        PumpPending();
    }

    void TearDown() override {
        RefuseThreadsForTesting(false);
        ThrowInJobsForTesting(false);
        Connection::SetLockWait(Connection::kDefaultLockWait);
        window->Destroy();
        wxTheApp->ProcessIdle();
    }

    void Open() {
        window->OpenDatabase("plot.db");
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    void SelectRow(int row) { ClickStemRow(window, row); }

    void Menu(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        window->GetEventHandler()->ProcessEvent(event);
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    // The readout's line for the selected trees at a plot point.
    wxString TreesAt(double x, double y) {
        const wxPoint at = ViewerPixelOf(window, x, y);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(at);
        window->GetViewer()->GetEventHandler()->ProcessEvent(motion);
        return window->GetReadoutBar()->GetStatusText(2);
    }

    std::vector<std::string> Tables() {
        return QueryColumn("plot.db",
                           "SELECT name FROM sqlite_master WHERE type = 'table' "
                           "ORDER BY name");
    }
};

TEST_F(FileWorkTest, WorkerThatCannotStartOrThrowsEndsInAMessageAndAUsableWindow) {
    for (bool refuse : {true, false}) {
        RefuseThreadsForTesting(refuse);
        ThrowInJobsForTesting(!refuse);
        messages.clear();
        window->OpenDatabase("plot.db");
        ASSERT_TRUE(WaitUntilIdle(window));
        EXPECT_TRUE(window->IsEnabled());
        EXPECT_EQ(window->OpenSession(), nullptr);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].StartsWith("\"plot.db\" could not be opened because "))
            << messages[0];
        EXPECT_NE(messages[0].Find(refuse ? "no worker thread" : "unexpected error"), wxNOT_FOUND)
            << messages[0];
    }
    // The window opens the file once workers run again.
    RefuseThreadsForTesting(false);
    ThrowInJobsForTesting(false);
    Open();
    EXPECT_NE(window->OpenSession(), nullptr);
}

TEST_F(FileWorkTest, TreeWhoseBuildFailedUnderALockIsDrawnAndReadOnceTheLockClears) {
    Open();
    ToggleLayer(window, "Total Nitrogen Uptake (blocks)", true);
    ToggleLayer(window, "Nitrogen Uptake (Isoline)", true);
    Connection::SetLockWait(100ms);
    {
        LockHolder writer("plot.db", "BEGIN EXCLUSIVE", 20s);
        SelectRow(1);  // T2: its table cannot be built now
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].Find("T2"), wxNOT_FOUND) << messages[0];
        EXPECT_TRUE(window->IsEnabled());
        writer.Release();
    }
    // The next change tries again, and the legend and readout follow the layers.
    ToggleLayer(window, "Total Nitrogen Uptake (blocks)", false);
    ASSERT_TRUE(WaitUntilIdle(window));
    const std::vector<LegendSection>& legend = window->GetLegendPanel()->GetSections();
    ASSERT_EQ(legend.size(), 1u);
    EXPECT_EQ(legend[0].title, "T2: Nitrogen Uptake (Isoline)");
    EXPECT_EQ(TreesAt(7.5, 2.5), "T2 3");
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(FileWorkTest, AfterDeleteIndexTablesNothingIsShownOrWrittenUntilReload) {
    Open();
    ToggleLayer(window, "Total Nitrogen Uptake (blocks)", true);
    SelectRow(0);
    Menu(ID_DELETE_INDEXES);
    const std::vector<std::string> left = Tables();
    EXPECT_TRUE(window->IsEnabled());
    EXPECT_EQ(window->OpenSession(), nullptr);
    EXPECT_TRUE(window->GetLegendPanel()->GetSections().empty());
    EXPECT_TRUE(window->GetViewer()->GetLayers().empty());

    ToggleLayer(window, "Nitrogen Uptake (Isoline)", true);
    window->SelectStem("T2");
    ASSERT_TRUE(WaitUntilIdle(window));
    EXPECT_EQ(Tables(), left);

    // Reload opens it again as it was, which builds the tables anew.
    Menu(ID_RELOAD);
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_GT(Tables().size(), left.size());
    EXPECT_EQ(window->OpenSession()->GetSelected(), std::vector<wxString>{"T1"});
}

}  // namespace
