#include "ui/ChangeBar.h"

namespace {

constexpr int kLookEvery = 1000;  // milliseconds

}  // namespace

ChangeBar::ChangeBar(wxWindow* parent, int reloadCommand, Looker look, Permission mayShow)
    : wxInfoBar(parent), look(std::move(look)), mayShow(std::move(mayShow)) {
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

void ChangeBar::Watch() {
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
    const wxString change = look();
    if (!change.empty()) {
        OfferReload(change);
    }
}

void ChangeBar::OnTimer(wxTimerEvent&) {
    Look();
}
