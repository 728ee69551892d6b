#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "base/ProgressMonitor.h"

TEST(ProgressMonitor, PercentIsTruncatedAndNotClamped) {
    ProgressMonitor monitor(0, 0);
    EXPECT_EQ(monitor.GetPercent(), 0);
    monitor.SetTotal(7);
    monitor.SetProgress(3);
    EXPECT_EQ(monitor.GetPercent(), 42);
    monitor.SetProgress(7);
    EXPECT_EQ(monitor.GetPercent(), 100);
    monitor.SetProgress(8);
    EXPECT_EQ(monitor.GetPercent(), 114);
    monitor.SetProgress(-1);
    EXPECT_EQ(monitor.GetPercent(), -14);
}

TEST(ProgressMonitor, PercentBeyondWhatAnIntHoldsIsKeptAtItsBounds) {
    ProgressMonitor monitor(1e-300, 1.0);
    EXPECT_EQ(monitor.GetPercent(), std::numeric_limits<int>::max());
    monitor.SetProgress(-1.0);
    EXPECT_EQ(monitor.GetPercent(), std::numeric_limits<int>::min());
    monitor.SetProgress(std::nan(""));
    EXPECT_EQ(monitor.GetPercent(), 0);
    monitor.SetTotal(INFINITY);
    monitor.SetProgress(INFINITY);
    EXPECT_EQ(monitor.GetPercent(), 0);
}

TEST(ProgressMonitor, StateAcceptsOnlyRunningAndFinished) {
    ProgressMonitor monitor(0, 0);
    EXPECT_EQ(monitor.GetState(), 1);
    monitor.SetState(5);
    EXPECT_EQ(monitor.GetState(), 1);
    monitor.SetState(2);
    EXPECT_EQ(monitor.GetState(), 2);
}

TEST(ProgressMonitor, CopiesShareOneStateAcrossThreads) {
    ProgressMonitor original(0, 0);
    {
        ProgressMonitor copy = original;
        copy.SetMessage("Loading %s...", "Root Data");
    }
    EXPECT_EQ(original.GetMessage(), "Loading Root Data...");

    original.SetTotal(4000);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([copy = original]() mutable {
            for (int i = 0; i < 1000; ++i) {
                copy.AddProgress(1);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(original.GetProgress(), 4000);
    EXPECT_EQ(original.GetPercent(), 100);
}
