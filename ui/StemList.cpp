#include "ui/StemList.h"

// clang-format off
wxBEGIN_EVENT_TABLE(StemList, wxListBox)
    EVT_LEFT_DOWN(StemList::OnLeftDown)
    EVT_LEFT_DCLICK(StemList::OnLeftDoubleClick)
wxEND_EVENT_TABLE();
// clang-format on

StemList::StemList(wxWindow* parent)
    : wxListBox(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_MULTIPLE) {}

// Shift and Ctrl keep GTK's ranges and toggles. The change is reported as
// GTK's own are, with the clicked row.
void StemList::OnLeftDown(wxMouseEvent& event) {
    const int row = HitTest(event.GetPosition());
    if (event.HasAnyModifiers() || row == wxNOT_FOUND) {
        event.Skip();
        return;
    }
    SetFocus();
    const bool selected = !IsSelected(row);
    SetSelection(row, selected);
    wxCommandEvent changed(wxEVT_LISTBOX, GetId());
    changed.SetEventObject(this);
    changed.SetInt(row);
    changed.SetExtraLong(selected);
    ProcessWindowEvent(changed);
}

// The second press of a double click has toggled its row already; GTK must
// not act on the double click as well.
void StemList::OnLeftDoubleClick(wxMouseEvent& event) {
    event.Skip(event.HasAnyModifiers());
}
