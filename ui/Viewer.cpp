#include "ui/Viewer.h"

#include <wx/dcbuffer.h>

#include <algorithm>

#include "render/LayerStack.h"

// clang-format off
wxBEGIN_EVENT_TABLE(Viewer, wxWindow)
    EVT_PAINT(Viewer::OnPaint)
    EVT_ERASE_BACKGROUND(Viewer::OnEraseBackground)
    EVT_LEFT_DOWN(Viewer::OnLeftDown)
    EVT_LEFT_UP(Viewer::OnLeftUp)
    EVT_LEFT_DCLICK(Viewer::OnLeftDoubleClick)
    EVT_LEAVE_WINDOW(Viewer::OnLeaveWindow)
    EVT_MOTION(Viewer::OnMotion)
    EVT_MOUSEWHEEL(Viewer::OnWheel)
    EVT_SIZE(Viewer::OnSize)
wxEND_EVENT_TABLE();
// clang-format on

Viewer::Viewer(wxWindow* parent, ViewerHooks hooks)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxPanelNameStr),
      hooks(std::move(hooks)) {
    // Everything is painted through the buffer; the toolkit must never clear the window.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

double Viewer::PixelRatio() const {
    return std::max(1.0, GetContentScaleFactor());
}

wxSize Viewer::PictureSize() const {
    const wxSize size = GetClientSize();
    const double ratio = PixelRatio();
    return wxSize(int(size.x * ratio), int(size.y * ratio));
}

void Viewer::SetLayers(const std::vector<wxBitmap>& newLayers) {
    composite = wxBitmap();
    layers = newLayers;
    Refresh(true);
}

wxBitmap Viewer::GetComposite() {
    UpdateComposite();
    return composite;
}

void Viewer::UpdateComposite() {
    if (layers.empty()) {
        return;
    }
    const wxSize size = PictureSize();
    if (composite.IsOk() && composite.GetWidth() == size.x && composite.GetHeight() == size.y) {
        return;
    }
    composite = StackLayers(layers, size.x, size.y);
    // Drawn at the window's size in the screen's own pixels: not enlarged.
    if (composite.IsOk()) {
        composite.SetScaleFactor(PixelRatio());
    }
}

// The picture's pixels stand to the window's as the composite's size to the
// window's; a click at window pixel x is at picture pixel x / (window width
// / picture width), truncated.
wxPoint Viewer::PicturePixel(const wxPoint& windowPixel) const {
    const wxSize size = GetClientSize();
    if (!composite.IsOk() || size.x <= 0 || size.y <= 0) {
        const double ratio = PixelRatio();
        return wxPoint(int(windowPixel.x * ratio), int(windowPixel.y * ratio));
    }
    const double sx = double(size.x) / composite.GetWidth();
    const double sy = double(size.y) / composite.GetHeight();
    return wxPoint(int(windowPixel.x / sx), int(windowPixel.y / sy));
}

void Viewer::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    if (layers.empty()) {
        return;
    }
    UpdateComposite();
    if (composite.IsOk()) {
        dc.DrawBitmap(composite, dragOffset.x, dragOffset.y, true);
    }
}

void Viewer::OnEraseBackground(wxEraseEvent&) {}

void Viewer::OnLeftDown(wxMouseEvent& event) {
    dragging = true;
    dragStart = event.GetPosition();
    // The keys of the View menu then reach the map, not the stem list.
    SetFocus();
}

void Viewer::OnLeftUp(wxMouseEvent& event) {
    // While the button is down GTK keeps sending the pointer's events here,
    // so a release may come from anywhere on the screen: only one that ends
    // a press on the map, not abandoned, and inside it, pans or picks.
    const bool pressedHere = dragging;
    dragging = false;
    if (!pressedHere || !GetClientRect().Contains(event.GetPosition())) {
        dragOffset = wxPoint(0, 0);
        Refresh(true);
        return;
    }
    if (!composite.IsOk()) {
        return;
    }
    if (dragOffset != wxPoint(0, 0)) {
        const wxPoint moved = PicturePixel(dragOffset);
        hooks.pan(moved.x, moved.y);
        composite = wxBitmap();
        dragOffset = wxPoint(0, 0);
        Refresh(true);
        return;
    }
    const wxPoint at = PicturePixel(event.GetPosition());
    hooks.click(at.x, at.y);
    Refresh(true);
}

void Viewer::OnLeftDoubleClick(wxMouseEvent& event) {
    const int cw = composite.IsOk() ? composite.GetWidth() : 0;
    const int ch = composite.IsOk() ? composite.GetHeight() : 0;
    const wxPoint at = PicturePixel(event.GetPosition());
    hooks.pan(cw / 2 - at.x, ch / 2 - at.y);
}

void Viewer::OnLeaveWindow(wxMouseEvent&) {
    // A drag that leaves the canvas is abandoned without panning.
    dragOffset = wxPoint(0, 0);
    dragging = false;
    Refresh(true);
}

void Viewer::OnMotion(wxMouseEvent& event) {
    if (event.LeftIsDown()) {
        if (dragging) {
            dragOffset = event.GetPosition() - dragStart;
        }
        Refresh(true);
        return;
    }
    if (dragging || dragOffset != wxPoint(0, 0)) {
        dragging = false;
        dragOffset = wxPoint(0, 0);
        Refresh(true);
    }
}

void Viewer::OnWheel(wxMouseEvent& event) {
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || event.GetWheelDelta() <= 0) {
        return;
    }
    // Fine-grained wheels send parts of a notch; whole notches zoom.
    wheelRotation += event.GetWheelRotation();
    const int notches = wheelRotation / event.GetWheelDelta();
    wheelRotation -= notches * event.GetWheelDelta();
    if (notches != 0) {
        const wxPoint at = PicturePixel(event.GetPosition());
        hooks.wheel(notches, at.x, at.y);
    }
}

void Viewer::OnSize(wxSizeEvent& event) {
    hooks.resized();
    event.Skip();
}
