// The bar above the map that offers to open the file again: when another
// program has committed a change to it since it was opened, or when its
// index tables were deleted. Its "Reload" button sends the File menu's
// Reload command; nothing is ever reloaded without the user. Changes are
// found by a light poll of SQLite's data version on the window's thread,
// which the program's own writes never move.
#pragma once

#include <wx/infobar.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <functional>

class ChangeBar : public wxInfoBar {
  public:
    // The data version now, 0 when it cannot be read at the moment (no
    // file, the file busy); whether the window may change its layout now.
    using VersionReader = std::function<long long()>;
    using Permission = std::function<bool()>;

    ChangeBar(wxWindow* parent, int reloadCommand, VersionReader readVersion, Permission mayShow);
    ~ChangeBar() override;

    // Watches the file named name from now on, as it was at version baseline.
    void Watch(const wxString& name, long long baseline);
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

    VersionReader readVersion;
    Permission mayShow;
    wxTimer timer;
    ModalCount modals;
    bool watching = false;
    long long baseline = 0;
    wxString fileName;
};
