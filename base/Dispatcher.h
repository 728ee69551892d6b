// Hand-over of calls between threads: start a function on a new thread, or
// queue a call for the main thread, where the toolkit's event loop runs it.
#pragma once

#include <wx/event.h>

#include <condition_variable>
#include <memory>
#include <mutex>

using DispatchFunction = int (*)(void*);

// The result cell of one call, shared by the call and whoever waits for it;
// freed when both are done with it.
class DispatchResult {
  public:
    int GetValue();
    bool IsDone();
    void Set(int value);
    // Blocks until the call has run; returns its value.
    int Wait();

  private:
    std::mutex mutex;
    std::condition_variable doneChanged;
    int value = 0;
    bool done = false;
};

struct DispatchCall {
    DispatchFunction function = nullptr;
    void* argument = nullptr;
    std::shared_ptr<DispatchResult> result;
};

class DispatchEvent;
wxDECLARE_EVENT(DispatchEventType, DispatchEvent);

// Carries one call to the main thread. Clones share the call, so whichever
// copy the toolkit delivers runs it exactly once and the last copy frees it.
class DispatchEvent : public wxEvent {
  public:
    DispatchEvent();
    DispatchEvent(const DispatchEvent& other) = default;
    ~DispatchEvent() override = default;
    wxEvent* Clone() const override { return new DispatchEvent(*this); }

    std::shared_ptr<DispatchCall> GetCall() const { return call; }
    void SetCall(std::shared_ptr<DispatchCall> value) { call = std::move(value); }

  private:
    std::shared_ptr<DispatchCall> call;

    wxDECLARE_DYNAMIC_CLASS(DispatchEvent);
};

// The one process-wide handler on which calls for the main thread are queued.
// It exists from static initialisation on and is never destroyed.
class Dispatcher : public wxEvtHandler {
  public:
    static Dispatcher* Get();

  private:
    void OnDispatch(DispatchEvent& event);

    wxDECLARE_EVENT_TABLE();
};

// Runs F(A) on a new, detached thread; returns at once. False (logged) when
// no thread could be started: F never runs, and the caller must end what it
// began for it. A function that throws ends its thread, never the process;
// running out of memory there ends the process as everywhere.
bool StartThread(DispatchFunction function, void* argument);

// While set, every StartThread fails as when the system has no thread to
// give: for tests of what callers do then.
void RefuseThreadsForTesting(bool refuse);

// Queues F(A) for the main thread and returns its result cell at once.
std::shared_ptr<DispatchResult> PostToMainThread(DispatchFunction function, void* argument);

// Queues F(A) for the main thread and waits for its value. Never call it while
// holding a lock that a main-thread call may take. On the main thread itself
// it runs the function directly, since waiting there would never end.
int CallOnMainThread(DispatchFunction function, void* argument);
