#include "ui/ZoomCtrl.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/graphics.h>

#include "ui/Resources.h"

wxDEFINE_EVENT(ZoomEventType, ZoomEvent);
wxIMPLEMENT_DYNAMIC_CLASS(ZoomEvent, wxEvent);

ZoomEvent::ZoomEvent() : wxEvent(0, ZoomEventType) {}

namespace {

// The geometry assumes button images of this width.
constexpr int imageWidth = 25;
// Two images, two 5-pixel gaps and the 8-pixel thumb.
constexpr int trackMargin = 68;
constexpr int trackTop = 7;
constexpr int trackBottom = 15;
constexpr int thumbLeft = 30;
constexpr int thumbTip = 34;
constexpr int thumbRight = 38;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(ZoomCtrl, wxWindow)
    EVT_PAINT(ZoomCtrl::OnPaint)
    EVT_LEFT_DOWN(ZoomCtrl::OnLeftDown)
    EVT_LEFT_UP(ZoomCtrl::OnLeftUp)
    EVT_MOTION(ZoomCtrl::OnMotion)
    EVT_SIZE(ZoomCtrl::OnSize)
wxEND_EVENT_TABLE();
// clang-format on

ZoomCtrl::ZoomCtrl(wxWindow* parent, unsigned minimum, unsigned maximum, unsigned step,
                   unsigned value)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxPanelNameStr),
      maximum(maximum),
      minimum(minimum),
      step(step),
      value(value) {
    SetMinSize(wxSize(75, 25));
    SetMaxSize(wxSize(-1, 25));
    zoomOutBitmap = LoadResourceBitmap("zoom-out.png", imageWidth, imageWidth);
    zoomInBitmap = LoadResourceBitmap("zoom-in.png", imageWidth, imageWidth);
}

void ZoomCtrl::SetValue(unsigned level) {
    if (level > maximum) {
        value = maximum;
    } else if (level < minimum) {
        value = minimum;
    } else {
        value = level;
    }
    Refresh();
}

void ZoomCtrl::StepUp(unsigned count) {
    SetValue(value + step * count);
}

void ZoomCtrl::StepDown(unsigned count) {
    long long level = (long long)value - (long long)step * count;
    SetValue(level < 0 ? 0 : unsigned(level));
}

int ZoomCtrl::TrackLength() const {
    int width = GetSize().GetWidth();
    return width > trackMargin ? width - trackMargin : 0;
}

int ZoomCtrl::GetThumbOffset() const {
    unsigned track = unsigned(TrackLength());
    unsigned range = maximum - minimum;
    // An empty range has nowhere to move the thumb to.
    if (range == 0 || maximum < minimum) {
        return 0;
    }
    return int(value * track / range - track / range);
}

void ZoomCtrl::Draw(wxDC& dc, int width) {
    if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    }
    dc.DrawBitmap(zoomOutBitmap, 0, 0, true);
    dc.DrawBitmap(zoomInBitmap, width - zoomInBitmap.GetWidth(), 0, true);

    dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_SOLID));
    int left = zoomOutBitmap.GetWidth() + 5;
    int right = width - zoomInBitmap.GetWidth() - 5;
    dc.DrawLine(left, trackTop, left, trackBottom);
    dc.DrawLine(right, trackTop, right, trackBottom);
    dc.DrawLine(left, trackTop, right, trackTop);

    int offset = GetThumbOffset();
    dc.SetBrush(wxBrush(*wxBLACK, wxBRUSHSTYLE_SOLID));
    wxPoint thumb[3] = {wxPoint(offset + thumbTip, trackTop + 1),
                        wxPoint(offset + thumbRight, trackBottom),
                        wxPoint(offset + thumbLeft, trackBottom)};
    dc.DrawPolygon(3, thumb, 0, 0, wxODDEVEN_RULE);
}

void ZoomCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Draw(dc, GetSize().GetWidth());
}

void ZoomCtrl::OnLeftDown(wxMouseEvent& event) {
    int offset = GetThumbOffset();
    dragging = event.GetY() >= trackTop && event.GetY() <= trackBottom &&
               event.GetX() >= offset + thumbLeft && event.GetX() <= offset + thumbRight;
}

void ZoomCtrl::OnLeftUp(wxMouseEvent& event) {
    dragging = false;
    // GTK sends the release of a press here wherever the pointer is; only one
    // over the control can be a click on its images.
    if (!GetClientRect().Contains(event.GetPosition())) {
        return;
    }
    int width = GetSize().GetWidth();
    if (event.GetX() <= zoomOutBitmap.GetWidth()) {
        if (value > minimum) {
            QueueZoom(ZoomEvent::ZOOM_OUT);
        }
        StepDown(1);
    } else if (event.GetX() >= width - zoomInBitmap.GetWidth()) {
        if (value < maximum) {
            QueueZoom(ZoomEvent::ZOOM_IN);
        }
        StepUp(1);
    }
}

void ZoomCtrl::OnMotion(wxMouseEvent& event) {
    if (!dragging || !event.Dragging()) {
        return;
    }
    int offset = GetThumbOffset();
    unsigned range = maximum - minimum;
    int stepPixels = range == 0 ? 0 : int(unsigned(TrackLength()) / range * step);
    // A step narrower than a pixel cannot be dragged to.
    if (stepPixels <= 0) {
        return;
    }
    // One event for each motion that really moves the level: past the ends
    // the level stays, and so does the view.
    const unsigned before = value;
    int x = event.GetX();
    if (x > offset + thumbTip) {
        StepUp(unsigned((x - offset - thumbTip) / stepPixels));
    } else if (x < offset + thumbTip) {
        StepDown(unsigned((offset + thumbTip - x) / stepPixels));
    }
    if (value != before) {
        QueueZoom(value > before ? ZoomEvent::ZOOM_IN : ZoomEvent::ZOOM_OUT);
    }
}

void ZoomCtrl::OnSize(wxSizeEvent&) {
    Refresh();
}

// Queued on the control itself, where its owner binds them.
void ZoomCtrl::QueueZoom(int zoomType) {
    ZoomEvent* event = new ZoomEvent;
    event->SetZoomType(zoomType);
    event->SetEventObject(this);
    GetEventHandler()->QueueEvent(event);
}
