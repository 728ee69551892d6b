#include "ui/ChangeBar.h"

#include "base/Log.h"

namespace {

constexpr int kLookEvery = 1000;  // milliseconds

}  // namespace

ChangeBar::ChangeBar(wxWindow* parent, int reloadCommand, VersionReader readVersion,
                     Permission mayShow)
    : wxInfoBar(parent), readVersion(std::move(readVersion)), mayShow(std::move(mayShow)) {
    // The map below moves at once, not in the steps of an animation.
    SetShowHideEffects(wxSHOW_EFFECT_NONE, wxSHOW_EFFECT_NONE);
    // The button's command reaches the window, which decides when to reload.
    AddButton(reloadCommand, "Reload");
    modals.Register();
    timer.SetOwner(this);
    Bind(wxEVT_TIMER, &ChangeBar::OnTimer, this);
}

ChangeBar::~ChangeBar() {
    timer.Stop();
    modals.Unregister();
}

void ChangeBar::Watch(const wxString& name, long long version) {
    fileName = name;
    baseline = version;
    watching = true;
    Dismiss();
    timer.Start(kLookEvery);
}

void ChangeBar::Forget() {
    watching = false;
    timer.Stop();
    Dismiss();
}

void ChangeBar::OfferReload(const wxString& text) {
    watching = false;
    timer.Stop();
    ShowMessage(text, wxICON_INFORMATION);
}

void ChangeBar::Look() {
    // Not under a drag or a dialog: the map must not change size then.
    if (!watching || IsShown() || modals.open > 0 || !mayShow()) {
        return;
    }
    const long long version = readVersion();
    if (version == 0 || version == baseline) {
        return;
    }
    Log(LOG_RUN, "File changed on disk: %s", fileName.utf8_str().data());
    OfferReload(
        wxString::Format("\"%s\" has changed on disk since it was opened. Reload to see "
                         "it as it is now.",
                         fileName));
}

void ChangeBar::OnTimer(wxTimerEvent&) {
    Look();
}
