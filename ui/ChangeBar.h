// The bar above the map that offers to open the file again: when another
// program has committed a change to it since it was opened, when another
// file has taken its name, or when its index tables were deleted. Its
// "Reload" button sends the File menu's Reload command; nothing is ever
// reloaded without the user. Changes are found by a light look every second
// on the window's thread.
#pragma once

#include <wx/infobar.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <functional>

class ChangeBar : public wxInfoBar {
  public:
    // What the look finds: the text to offer a Reload with, empty when the
    // file is as it was (or cannot be read at the moment); whether the
    // window may change its layout now.
    using Looker = std::function<wxString()>;
    using Permission = std::function<bool()>;

    ChangeBar(wxWindow* parent, int reloadCommand, Looker look, Permission mayShow);
    ~ChangeBar() override;

    // Looks at the open file every second from now on; the bar goes.
    void Watch();
    // No file is watched; the bar goes.
    void Forget();
    // Shows text with the Reload button at once, and stops watching.
    void OfferReload(const wxString& text);
    // One look at the file, as the timer takes every second.
    void Look();

  private:
    // Counts the modal dialogs open, which the bar must not resize the window under.
    class ModalCount : public wxModalDialogHook {
      public:
        int open = 0;

      protected:
        int Enter(wxDialog*) override {
            ++open;
            return wxID_NONE;
        }
        void Exit(wxDialog*) override { --open; }
    };

    void OnTimer(wxTimerEvent& event);

    Looker look;
    Permission mayShow;
    wxTimer timer;
    ModalCount modals;
    bool watching = false;
};
