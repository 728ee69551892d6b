#include "base/Dispatcher.h"

#include <wx/app.h>
#include <wx/thread.h>

#include <atomic>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

#include "base/Log.h"
#include "base/OutOfMemory.h"

wxDEFINE_EVENT(DispatchEventType, DispatchEvent);
wxIMPLEMENT_DYNAMIC_CLASS(DispatchEvent, wxEvent);

namespace {

typedef void (wxEvtHandler::*DispatchEventFunction)(DispatchEvent&);
#define DispatchEventHandler(func) wxEVENT_HANDLER_CAST(DispatchEventFunction, func)
#define EVT_DISPATCH(func) wx__DECLARE_EVT0(DispatchEventType, DispatchEventHandler(func))

std::shared_ptr<DispatchCall> MakeCall(DispatchFunction function, void* argument) {
    try {
        auto call = std::make_shared<DispatchCall>();
        call->function = function;
        call->argument = argument;
        call->result = std::make_shared<DispatchResult>();
        return call;
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
}

void RunCall(DispatchCall& call) {
    call.result->Set(call.function(call.argument));
}

std::atomic<bool> refuseThreads{false};

// A worker's own failures are its to report; one that escapes must still
// not take the window down with std::terminate.
void RunOnThread(DispatchCall& call) {
    try {
        RunCall(call);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::exception& error) {
        Log(LOG_ERROR, "A worker thread stopped with an error: %s", error.what());
        call.result->Set(-1);
    } catch (...) {
        Log(LOG_ERROR, "A worker thread stopped with an unknown error.");
        call.result->Set(-1);
    }
}

}  // namespace

int DispatchResult::GetValue() {
    std::lock_guard<std::mutex> guard(mutex);
    return value;
}

bool DispatchResult::IsDone() {
    std::lock_guard<std::mutex> guard(mutex);
    return done;
}

void DispatchResult::Set(int newValue) {
    {
        std::lock_guard<std::mutex> guard(mutex);
        value = newValue;
        done = true;
    }
    doneChanged.notify_all();
}

int DispatchResult::Wait() {
    std::unique_lock<std::mutex> guard(mutex);
    doneChanged.wait(guard, [this] { return done; });
    return value;
}

DispatchEvent::DispatchEvent() : wxEvent(0, DispatchEventType) {}

// clang-format off
wxBEGIN_EVENT_TABLE(Dispatcher, wxEvtHandler)
    EVT_DISPATCH(Dispatcher::OnDispatch)
wxEND_EVENT_TABLE();
// clang-format on

Dispatcher* Dispatcher::Get() {
    // Never destroyed: worker threads may still post while the program ends.
    static Dispatcher* const instance = new (std::nothrow) Dispatcher;
    return instance;
}

void Dispatcher::OnDispatch(DispatchEvent& event) {
    std::shared_ptr<DispatchCall> call = event.GetCall();
    event.SetCall(nullptr);
    if (call) {
        RunCall(*call);
    }
}

// Created before the application object, so that threads can post from the start.
static Dispatcher* const startupDispatcher = Dispatcher::Get();

void RefuseThreadsForTesting(bool refuse) {
    refuseThreads = refuse;
}

bool StartThread(DispatchFunction function, void* argument) {
    std::shared_ptr<DispatchCall> call = MakeCall(function, argument);
    try {
        if (refuseThreads) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        std::thread([call] { RunOnThread(*call); }).detach();
        return true;
    } catch (const std::system_error& error) {
        Log(LOG_ERROR, "Cannot start a thread: %s", error.what());
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    return false;
}

std::shared_ptr<DispatchResult> PostToMainThread(DispatchFunction function, void* argument) {
    std::shared_ptr<DispatchCall> call = MakeCall(function, argument);
    Dispatcher* dispatcher = Dispatcher::Get();
    // Without an application object the toolkit would drop the event anyway.
    if (dispatcher && wxTheApp) {
        DispatchEvent* event = new (std::nothrow) DispatchEvent;
        if (!event) {
            OutOfMemory();
        }
        event->SetCall(call);
        dispatcher->QueueEvent(event);
    }
    return call->result;
}

int CallOnMainThread(DispatchFunction function, void* argument) {
    if (wxIsMainThread()) {
        return function(argument);
    }
    if (!Dispatcher::Get() || !wxTheApp) {
        Log(LOG_ERROR, "No event loop to run a call for another thread.");
        return 0;
    }
    return PostToMainThread(function, argument)->Wait();
}
