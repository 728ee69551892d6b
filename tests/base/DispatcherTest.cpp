#include <gtest/gtest.h>
#include <wx/thread.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "base/Dispatcher.h"

namespace {

struct Recorder {
    std::vector<int> order;
};

int AppendOne(void* argument) {
    static_cast<Recorder*>(argument)->order.push_back(1);
    return 1;
}

int AppendTwo(void* argument) {
    static_cast<Recorder*>(argument)->order.push_back(2);
    return 2;
}

int SevenOnWhichThread(void* argument) {
    *static_cast<std::atomic<bool>*>(argument) = wxIsMainThread();
    return 7;
}

TEST(DispatcherTest, PostedCallsRunOnTheMainThreadInPostingOrder) {
    Recorder recorder;
    std::shared_ptr<DispatchResult> first;
    std::shared_ptr<DispatchResult> second;
    std::thread poster([&] {
        first = PostToMainThread(AppendOne, &recorder);
        second = PostToMainThread(AppendTwo, &recorder);
    });
    poster.join();

    ASSERT_TRUE(PumpUntil([&] { return second->IsDone(); }));
    EXPECT_EQ(recorder.order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(first->IsDone());
    EXPECT_EQ(first->GetValue(), 1);
    EXPECT_EQ(second->GetValue(), 2);
}

TEST(DispatcherTest, ResultShowsNothingBeforeTheCallHasRun) {
    Recorder recorder;
    std::shared_ptr<DispatchResult> result = PostToMainThread(AppendTwo, &recorder);
    EXPECT_FALSE(result->IsDone());
    EXPECT_EQ(result->GetValue(), 0);
    EXPECT_TRUE(recorder.order.empty());

    ASSERT_TRUE(PumpUntil([&] { return result->IsDone(); }));
    EXPECT_EQ(result->GetValue(), 2);
}

TEST(DispatcherTest, CallOnMainThreadFromWorkerReturnsTheValueComputedOnTheMainThread) {
    std::atomic<bool> ranOnMain{false};
    std::atomic<int> returned{-1};
    std::thread worker([&] { returned = CallOnMainThread(SevenOnWhichThread, &ranOnMain); });

    bool finished = PumpUntil([&] { return returned.load() != -1; });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(returned.load(), 7);
    EXPECT_TRUE(ranOnMain.load());
}

TEST(DispatcherTest, CallOnMainThreadOnTheMainThreadRunsDirectly) {
    std::atomic<bool> ranOnMain{false};
    EXPECT_EQ(CallOnMainThread(SevenOnWhichThread, &ranOnMain), 7);
    EXPECT_TRUE(ranOnMain.load());
}

struct Gate {
    std::promise<void> open;
    std::shared_future<void> opened{open.get_future().share()};
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> onMain{true};
};

int WaitAtGate(void* argument) {
    Gate* gate = static_cast<Gate*>(argument);
    gate->started = true;
    gate->onMain = wxIsMainThread();
    gate->opened.wait();
    gate->finished = true;
    return 0;
}

TEST(DispatcherTest, StartThreadReturnsBeforeTheFunctionFinishes) {
    Gate gate;
    StartThread(WaitAtGate, &gate);
    // Still held at the gate, so StartThread cannot have waited for it.
    EXPECT_FALSE(gate.finished.load());
    gate.open.set_value();
    ASSERT_TRUE(PumpUntil([&] { return gate.finished.load(); }));
    EXPECT_TRUE(gate.started.load());
    EXPECT_FALSE(gate.onMain.load());
}

TEST(DispatcherTest, EventCloneKeepsTypeAndCall) {
    DispatchEvent event;
    auto call = std::make_shared<DispatchCall>();
    event.SetCall(call);
    std::unique_ptr<wxEvent> clone(event.Clone());
    EXPECT_EQ(clone->GetEventType(), DispatchEventType);
    EXPECT_EQ(clone->GetId(), 0);
    EXPECT_EQ(static_cast<DispatchEvent*>(clone.get())->GetCall(), call);
    EXPECT_STREQ(clone->GetClassInfo()->GetClassName(), L"DispatchEvent");
}

}  // namespace
