#include "ui/ProgressWindow.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "base/Dispatcher.h"

// The window's state as the loops see it. The loops and every queued
// main-thread step hold it alive, so none of them ever touches freed memory:
// once `valid` is false they leave the window alone.
struct ProgressWindow::Shared {
    // Guards every field below but the wake-up ones. Recursive, because the
    // window's own methods take it while a main-thread step holds it.
    std::recursive_mutex lock;
    ProgressWindow* window = nullptr;
    ProgressMonitor monitor{0, 0};
    bool showTimes = false;
    time_t startTime = 0;
    bool pulseMode = false;
    bool pulseLoopActive = false;
    bool running = true;
    bool valid = true;
    // The message label's text, or the text it is about to get.
    wxString messageText;

    // Ends the loops' pauses early once the window stops or goes away.
    std::mutex wakeMutex;
    std::condition_variable wake;
    bool stopping = false;

    bool MayRun() {
        std::lock_guard<std::recursive_mutex> guard(lock);
        return valid && running;
    }

    void WakeLoops() {
        {
            std::lock_guard<std::mutex> guard(wakeMutex);
            stopping = true;
        }
        wake.notify_all();
    }

    void Pause(int milliseconds) {
        std::unique_lock<std::mutex> guard(wakeMutex);
        wake.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return stopping; });
    }
};

namespace {

using Shared = ProgressWindow::Shared;
using Step = std::function<void(ProgressWindow&)>;

constexpr int watchPause = 1000;
constexpr int pulsePause = 100;

struct PostedStep {
    std::shared_ptr<Shared> shared;
    Step step;
};

void RunStep(Shared& shared, const Step& step) {
    std::lock_guard<std::recursive_mutex> guard(shared.lock);
    if (shared.valid && shared.window) {
        step(*shared.window);
    }
}

int RunPostedStep(void* argument) {
    std::unique_ptr<PostedStep> posted(static_cast<PostedStep*>(argument));
    RunStep(*posted->shared, posted->step);
    return 0;
}

// Controls may only be touched on the main thread; other threads queue the
// change and go on without waiting for it.
void OnMainThread(const std::shared_ptr<Shared>& shared, Step step) {
    if (wxIsMainThread()) {
        RunStep(*shared, step);
    } else {
        PostToMainThread(RunPostedStep, new PostedStep{shared, std::move(step)});
    }
}

wxString ElapsedText(long long elapsed) {
    long long hours = elapsed / 3600;
    long long minutes = elapsed / 60 - 60 * hours;
    long long seconds = elapsed - 60 * minutes - 3600 * hours;
    return wxString::Format("%02lld:%02lld:%02lld", hours, minutes, seconds);
}

wxString RemainingText(long long elapsed, int percent) {
    long long remaining = -1;
    if (percent != 0 && elapsed > 4) {
        remaining = (long long)((100 - percent) * (double(elapsed) / percent));
    }
    if (remaining < 0) {
        return "calculating...";
    }
    if (remaining <= 59) {
        return "less than a minute";
    }
    long long hours = remaining / 3600;
    long long minutes = remaining / 60 - 60 * hours;
    long long seconds = remaining - 60 * minutes - 3600 * hours;
    if (hours <= 0) {
        return wxString::Format("about %d minutes", int(seconds >= 30 ? minutes + 1 : minutes));
    }
    if (minutes >= 30) {
        ++hours;
    }
    if (hours <= 1) {
        return "about one hour";
    }
    return wxString::Format("about %d hours", int(hours));
}

}  // namespace

wxString TimeLabelText(long elapsedSeconds, int gaugePercent) {
    // A clock set back must not show negative times.
    long long elapsed = std::max(0L, elapsedSeconds);
    return wxString::Format("Elapsed Time: %s\nRemaining Time: %s", ElapsedText(elapsed),
                            RemainingText(elapsed, gaugePercent));
}

// clang-format off
wxBEGIN_EVENT_TABLE(ProgressWindow, wxDialog)
    EVT_BUTTON(wxID_ANY, ProgressWindow::OnButton)
    EVT_CLOSE(ProgressWindow::OnClose)
wxEND_EVENT_TABLE();
// clang-format on

ProgressWindow::ProgressWindow(wxWindow* parent, bool showTimes, bool showCancel)
    : wxDialog(parent, wxID_ANY, "Progress", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxFRAME_FLOAT_ON_PARENT),
      shared(std::make_shared<Shared>()) {
    shared->window = this;
    Show(false);
    shared->showTimes = showTimes;

    panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                        wxTAB_TRAVERSAL | wxNO_BORDER);
    wxStaticBox* box = new wxStaticBox(panel, wxID_ANY, "Progress");
    shared->messageText = "Please wait...";
    messageLabel = new wxStaticText(panel, wxID_ANY, shared->messageText);
    gauge = new wxGauge(panel, wxID_ANY, 100, wxDefaultPosition, wxDefaultSize, wxGA_HORIZONTAL);
    if (showTimes) {
        timeLabel = new wxStaticText(panel, wxID_ANY, "Stopped.");
    }
    if (showCancel) {
        cancelButton = new wxButton(panel, wxID_ANY, "Cancel");
    }

    wxBoxSizer* dialogSizer = new wxBoxSizer(wxVERTICAL);
    dialogSizer->Add(panel, 1, wxEXPAND);
    SetSizer(dialogSizer);
    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
    wxStaticBoxSizer* boxSizer = new wxStaticBoxSizer(box, wxVERTICAL);
    panelSizer->Add(boxSizer, 1, wxEXPAND | wxALL, 10);
    if (showCancel) {
        panelSizer->Add(cancelButton, 0, wxALIGN_RIGHT | wxRIGHT, 10);
        panelSizer->Add(10, 10);
    }
    boxSizer->Add(messageLabel, 0, wxBOTTOM, 5);
    boxSizer->Add(gauge, 0, wxEXPAND, 0);
    if (showTimes) {
        boxSizer->Add(timeLabel, 0, wxEXPAND | wxTOP, 5);
    }
    panel->SetSizer(panelSizer);

    Layout();
    Fit();
    Centre(wxBOTH);
    Show(true);
    DisableOtherWindows();

    shared->startTime = time(nullptr);
    // Without its watching thread the window still closes when whoever
    // hands the work back calls CloseFinished.
    auto* watched = new std::shared_ptr<Shared>(shared);
    if (!StartThread(WatchLoop, watched)) {
        delete watched;
    }
}

ProgressWindow::~ProgressWindow() {
    {
        std::lock_guard<std::recursive_mutex> guard(shared->lock);
        shared->valid = false;
        shared->running = false;
        shared->window = nullptr;
        shared->monitor = ProgressMonitor(0, 0);
    }
    shared->WakeLoops();
    EnableOtherWindows();
}

void ProgressWindow::SetPulse(bool on) {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    shared->pulseMode = on;
    if (on) {
        OnMainThread(shared, [](ProgressWindow& window) { window.gauge->Pulse(); });
        if (!shared->pulseLoopActive) {
            auto* pulsed = new std::shared_ptr<Shared>(shared);
            shared->pulseLoopActive = StartThread(PulseLoop, pulsed);
            if (!shared->pulseLoopActive) {
                delete pulsed;
            }
        }
    } else {
        OnMainThread(shared, [](ProgressWindow& window) { window.gauge->SetValue(0); });
    }
}

void ProgressWindow::SetMonitor(const ProgressMonitor& monitor) {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    shared->monitor = monitor;
}

ProgressMonitor ProgressWindow::GetMonitor() {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    return shared->monitor;
}

void ProgressWindow::SetGaugeValue(int value) {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    if (value > 0) {
        shared->pulseMode = false;
    }
    // The monitor's percentage is not clamped; the gauge refuses values outside its range.
    int shown = std::clamp(value, 0, 100);
    OnMainThread(shared, [shown](ProgressWindow& window) { window.gauge->SetValue(shown); });
}

void ProgressWindow::SetMessageLabel(const wxString& text) {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    shared->messageText = text;
    OnMainThread(shared, [text](ProgressWindow& window) {
        window.messageLabel->SetLabel(text);
        window.Relayout();
    });
}

void ProgressWindow::Stop() {
    {
        std::lock_guard<std::recursive_mutex> guard(shared->lock);
        shared->running = false;
    }
    shared->WakeLoops();
}

bool ProgressWindow::IsRunning() {
    return shared->MayRun();
}

bool ProgressWindow::IsPulsing() {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    return shared->pulseMode;
}

void ProgressWindow::OnButton(wxCommandEvent&) {
    // The window goes away only when the work has finished.
}

void ProgressWindow::OnClose(wxCloseEvent& event) {
    if (event.CanVeto()) {
        event.Veto();
    } else {
        Destroy();
    }
}

// Modal without a nested event loop: the caller's code goes on, and every
// other window ignores the user until this one closes.
void ProgressWindow::DisableOtherWindows() {
    focused = wxWindow::FindFocus();
    for (wxWindow* window : wxTopLevelWindows) {
        if (window != this && window->IsShown() && window->IsEnabled()) {
            window->Disable();
            disabledWindows.emplace_back(window);
        }
    }
}

void ProgressWindow::EnableOtherWindows() {
    for (wxWeakRef<wxWindow>& window : disabledWindows) {
        // A parent being destroyed takes this window with it; leave it alone.
        if (window && !window->IsBeingDeleted()) {
            window->Enable();
        }
    }
    disabledWindows.clear();
    // Keys go on reaching the control that had them, as after a dialog.
    if (focused && !focused->IsBeingDeleted() && focused->IsEnabled()) {
        focused->SetFocus();
    }
    focused = nullptr;
}

void ProgressWindow::Relayout() {
    Fit();
    Layout();
}

void ProgressWindow::UpdateTimeLabel() {
    std::lock_guard<std::recursive_mutex> guard(shared->lock);
    if (!timeLabel) {
        return;
    }
    long elapsed = long(time(nullptr) - shared->startTime);
    timeLabel->SetLabel(TimeLabelText(elapsed, gauge->GetValue()));
    Relayout();
}

void ProgressWindow::CloseFinished() {
    EnableOtherWindows();
    {
        std::lock_guard<std::recursive_mutex> guard(shared->lock);
        shared->valid = false;
        shared->running = false;
    }
    shared->WakeLoops();
    Destroy();
}

wxWeakRef<ProgressWindow> ShowPulsingProgress(wxWindow* parent, const ProgressMonitor& monitor) {
    ProgressWindow* progress = new ProgressWindow(parent, false, false);
    progress->SetPulse(true);
    progress->SetMonitor(monitor);
    return progress;
}

int ProgressWindow::WatchLoop(void* argument) {
    std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared>*>(argument);
    delete static_cast<std::shared_ptr<Shared>*>(argument);
    while (true) {
        std::unique_lock<std::recursive_mutex> guard(shared->lock);
        if (!shared->valid || !shared->running) {
            return 0;
        }
        int state = shared->monitor.GetState();
        if (state == ProgressMonitor::Finished) {
            shared->running = false;
            guard.unlock();
            OnMainThread(shared, [](ProgressWindow& window) { window.CloseFinished(); });
            return 0;
        }
        if (state != ProgressMonitor::NoBody) {
            int percent = shared->monitor.GetPercent();
            if (percent > 0 || !shared->pulseMode) {
                int shown = std::clamp(percent, 0, 100);
                OnMainThread(shared,
                             [shown](ProgressWindow& window) { window.gauge->SetValue(shown); });
            }
            if (percent > 0) {
                shared->pulseMode = false;
            }
        }
        wxString message = wxString::FromUTF8(shared->monitor.GetMessage());
        // An unchanged message must not cost a relayout.
        if (!message.empty() && message != shared->messageText) {
            shared->messageText = message;
            OnMainThread(shared, [message](ProgressWindow& window) {
                window.messageLabel->SetLabel(message);
                window.Relayout();
            });
        }
        if (shared->showTimes) {
            OnMainThread(shared, [](ProgressWindow& window) { window.UpdateTimeLabel(); });
        }
        guard.unlock();
        shared->Pause(watchPause);
    }
}

int ProgressWindow::PulseLoop(void* argument) {
    std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared>*>(argument);
    delete static_cast<std::shared_ptr<Shared>*>(argument);
    while (true) {
        {
            std::lock_guard<std::recursive_mutex> guard(shared->lock);
            if (!shared->valid || !shared->running || !shared->pulseMode) {
                shared->pulseLoopActive = false;
                return 0;
            }
        }
        // Waits for the main thread, so the window lock must not be held here.
        CallOnMainThread(PulseGauge, &shared);
        shared->Pause(pulsePause);
    }
}

int ProgressWindow::PulseGauge(void* argument) {
    std::shared_ptr<Shared>& shared = *static_cast<std::shared_ptr<Shared>*>(argument);
    RunStep(*shared, [&shared](ProgressWindow& window) {
        if (shared->pulseMode) {
            window.gauge->Pulse();
        }
    });
    return 0;
}
