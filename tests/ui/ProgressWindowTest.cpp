#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include "TestSupport.h"
#include "ui/ProgressWindow.h"

namespace {

class ProgressWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        parent = new wxFrame(nullptr, wxID_ANY, "parent");
        parent->Show();
    }

    void TearDown() override {
        if (window) {
            window->Destroy();
        }
        EXPECT_TRUE(WaitUntilGone());
        delete parent;
    }

    // Destroyed windows are deleted when the application is idle.
    bool WaitUntilGone() {
        return PumpUntil([this] {
            wxTheApp->ProcessIdle();
            return !window;
        });
    }

    wxFrame* parent = nullptr;
    wxWeakRef<ProgressWindow> window;
};

TEST_F(ProgressWindowTest, KeepsOtherWindowsDisabledUntilTheMonitorFinishes) {
    ProgressMonitor monitor(0, 0);
    window = new ProgressWindow(parent, false, false);
    window->SetPulse(true);
    window->SetMonitor(monitor);
    EXPECT_TRUE(window->IsShown());
    EXPECT_FALSE(parent->IsEnabled());
    EXPECT_TRUE(window->IsPulsing());

    monitor.SetState(ProgressMonitor::Finished);
    ASSERT_TRUE(WaitUntilGone());
    EXPECT_TRUE(parent->IsEnabled());
}

TEST_F(ProgressWindowTest, MonitorFinishedBeforeTheFirstPassClosesTheWindow) {
    ProgressMonitor monitor(0, 0);
    monitor.SetState(ProgressMonitor::Finished);
    window = new ProgressWindow(parent, false, false);
    window->SetMonitor(monitor);
    ASSERT_TRUE(WaitUntilGone());
    EXPECT_TRUE(parent->IsEnabled());
}

TEST_F(ProgressWindowTest, MessageGaugeAndTimesFollowTheMonitor) {
    ProgressMonitor monitor(0, 0);
    window = new ProgressWindow(parent, true, true);
    window->SetPulse(true);
    window->SetMonitor(monitor);
    EXPECT_EQ(window->GetMessageLabel()->GetLabel(), "Please wait...");
    EXPECT_EQ(window->GetTimeLabel()->GetLabel(), "Stopped.");

    monitor.SetMessage("Loading Stem Data...");
    monitor.SetTotal(4);
    monitor.SetProgress(1);
    ASSERT_TRUE(PumpUntil([&] {
        return window->GetMessageLabel()->GetLabel() == "Loading Stem Data..." &&
               window->GetGauge()->GetValue() == 25;
    }));
    EXPECT_FALSE(window->IsPulsing());
    ASSERT_TRUE(PumpUntil(
        [&] { return window->GetTimeLabel()->GetLabel().StartsWith("Elapsed Time: 00:00:0"); }));

    // The percentage is not clamped by the monitor; the gauge must not see 114.
    monitor.SetTotal(7);
    monitor.SetProgress(8);
    ASSERT_TRUE(PumpUntil([&] { return window->GetGauge()->GetValue() == 100; }));
}

TEST_F(ProgressWindowTest, StoppedWindowNoLongerRunsAndStaysUntilDestroyed) {
    window = new ProgressWindow(parent, false, false);
    window->SetPulse(true);
    EXPECT_TRUE(window->IsRunning());
    window->Stop();
    EXPECT_FALSE(window->IsRunning());
    window->GetMonitor().SetState(ProgressMonitor::Finished);
    PumpPending();
    EXPECT_TRUE(window);
}

TEST_F(ProgressWindowTest, ParentGoingFirstTakesTheWindowAndReenablesTheOthers) {
    wxFrame* other = new wxFrame(nullptr, wxID_ANY, "other");
    other->Show();
    window = new ProgressWindow(parent, true, false);
    window->SetPulse(true);
    EXPECT_FALSE(other->IsEnabled());

    delete parent;
    parent = nullptr;
    EXPECT_FALSE(window);
    EXPECT_TRUE(other->IsEnabled());
    // Calls the loops queued before the window went must find nothing to touch.
    PumpPending();
    delete other;
}

TEST(ProgressTimeLabelTest, ElapsedAndRemainingTexts) {
    EXPECT_EQ(TimeLabelText(3725, 0), "Elapsed Time: 01:02:05\nRemaining Time: calculating...");
    const struct {
        long elapsed;
        int percent;
        const char* remaining;
    } cases[] = {
        {100, 0, "calculating..."},     {4, 50, "calculating..."},
        {40, 50, "less than a minute"}, {100, 10, "about 15 minutes"},
        {5, 99, "less than a minute"},  {90, 50, "about 2 minutes"},  // 90 s rounds up
        {89, 50, "about 1 minutes"},    {50, 1, "about one hour"},    // 1 h 22 min 30 s
        {100, 1, "about 3 hours"},      {60, 1, "about 2 hours"},     // 1 h 39 min rounds up
        {120, 150, "calculating..."},
    };
    for (const auto& c : cases) {
        wxString text = TimeLabelText(c.elapsed, c.percent);
        EXPECT_EQ(text.AfterFirst('\n'), wxString("Remaining Time: ") + c.remaining)
            << c.elapsed << " s at " << c.percent << "%";
    }
    EXPECT_EQ(TimeLabelText(-5, 0).BeforeFirst('\n'), "Elapsed Time: 00:00:00");
}

}  // namespace
