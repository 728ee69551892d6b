#include "ui/Viewer.h"

#include <wx/dcbuffer.h>

#include "render/LayerStack.h"
#include "ui/MainWindow.h"

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

Viewer::Viewer(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxPanelNameStr) {
    // Everything is painted through the buffer; the toolkit must never clear the window.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
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
    const wxSize size = GetClientSize();
    if (composite.IsOk() && composite.GetWidth() == size.x && composite.GetHeight() == size.y) {
        return;
    }
    composite = StackLayers(layers, size.x, size.y);
}

MainWindow* Viewer::GetMainWindow() const {
    // The viewer sits on the main window's layer panel.
    wxWindow* panel = GetParent();
    return panel ? dynamic_cast<MainWindow*>(panel->GetParent()) : nullptr;
}

void Viewer::OnPaint(wxPaintEvent&) {
    wxBufferedPaintDC dc(this);
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
    const wxSize size = GetClientSize();
    const double sx = double(size.x) / composite.GetWidth();
    const double sy = double(size.y) / composite.GetHeight();
    MainWindow* mainWindow = GetMainWindow();
    if (dragOffset != wxPoint(0, 0)) {
        const int dx = int(dragOffset.x / sx);
        const int dy = int(dragOffset.y / sy);
        if (mainWindow) {
            mainWindow->PanView(dx, dy);
        }
        composite = wxBitmap();
        dragOffset = wxPoint(0, 0);
        Refresh(true);
        return;
    }
    const int x = int(event.GetX() / sx);
    const int y = int(event.GetY() / sy);
    if (mainWindow) {
        mainWindow->OnViewerClick(x, y);
    }
    Refresh(true);
}

void Viewer::OnLeftDoubleClick(wxMouseEvent& event) {
    const int cw = composite.IsOk() ? composite.GetWidth() : 0;
    const int ch = composite.IsOk() ? composite.GetHeight() : 0;
    if (MainWindow* mainWindow = GetMainWindow()) {
        mainWindow->PanView(cw / 2 - event.GetX(), ch / 2 - event.GetY());
    }
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
    MainWindow* mainWindow = GetMainWindow();
    if (notches != 0 && mainWindow) {
        mainWindow->WheelZoom(notches, event.GetX(), event.GetY());
    }
}

void Viewer::OnSize(wxSizeEvent& event) {
    if (MainWindow* mainWindow = GetMainWindow()) {
        mainWindow->UpdateTitle();
    }
    event.Skip();
}
