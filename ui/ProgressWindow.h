// The modal window that shows a long operation's ProgressMonitor: a message,
// a gauge that pulses until the first real percentage arrives, and optionally
// the elapsed and remaining time. It closes itself when the monitor reports
// that the work has finished.
//
// Open it with `new ProgressWindow(parent, showTimes, showCancel)`; it frees
// itself when it closes. Its two loops run on their own threads and hand
// every change of a control to the main thread.
#pragma once

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <ctime>
#include <memory>
#include <vector>

#include "base/ProgressMonitor.h"

class wxGauge;
class wxPanel;
class wxStaticText;
class wxButton;

// "Elapsed Time: 01:02:05\nRemaining Time: about 15 minutes" for a gauge at
// the given percentage after the given number of seconds.
wxString TimeLabelText(long elapsedSeconds, int gaugePercent);

class ProgressWindow : public wxDialog {
  public:
    ProgressWindow(wxWindow* parent, bool showTimes, bool showCancel);
    ~ProgressWindow() override;

    void SetPulse(bool on);
    void SetMonitor(const ProgressMonitor& monitor);
    ProgressMonitor GetMonitor();
    // Values are kept within the gauge's range; above 0 ends pulse mode.
    void SetGaugeValue(int value);
    void SetMessageLabel(const wxString& text);
    // The loops end at their next pass.
    void Stop();
    // Closes the window now that the monitor's work has finished, without
    // waiting for the watching loop to see it.
    void CloseFinished();
    bool IsRunning();
    bool IsPulsing();

    wxGauge* GetGauge() const { return gauge; }
    wxStaticText* GetMessageLabel() const { return messageLabel; }
    wxStaticText* GetTimeLabel() const { return timeLabel; }

    // What the loops and the main-thread steps share; it outlives the window.
    struct Shared;

  private:
    void OnButton(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    void DisableOtherWindows();
    void EnableOtherWindows();
    void UpdateTimeLabel();
    void Relayout();

    static int WatchLoop(void* argument);
    static int PulseLoop(void* argument);
    static int PulseGauge(void* argument);

    wxPanel* panel = nullptr;
    wxStaticText* messageLabel = nullptr;
    wxGauge* gauge = nullptr;
    wxStaticText* timeLabel = nullptr;
    wxButton* cancelButton = nullptr;
    std::shared_ptr<Shared> shared;
    // The windows this one disabled; weak, as any of them may go first.
    std::vector<wxWeakRef<wxWindow>> disabledWindows;
    // The control that had the keyboard before this window took it.
    wxWeakRef<wxWindow> focused;

    wxDECLARE_EVENT_TABLE();
};

// Shows the pulsing window over work that the monitor follows. Whoever hands
// the work back closes it with CloseFinished first, so that nothing shown or
// started next meets a window that is still open; the reference is empty if
// the window has gone with its parent meanwhile.
wxWeakRef<ProgressWindow> ShowPulsingProgress(wxWindow* parent, const ProgressMonitor& monitor);
