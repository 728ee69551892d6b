// The zoom control under the plot: a zoom-out image, a track with a thumb
// that shows the zoom level, and a zoom-in image. It only counts levels;
// each change queues a ZoomEvent on the control, which its owner binds to
// change the view.
#pragma once

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/window.h>

class ZoomEvent : public wxEvent {
  public:
    enum { ZOOM_IN = 1, ZOOM_OUT = 2 };

    ZoomEvent();
    ZoomEvent(const ZoomEvent& other) = default;
    wxEvent* Clone() const override { return new ZoomEvent(*this); }

    void SetZoomType(int type) { zoomType = type; }
    int GetZoomType() const { return zoomType; }
    bool IsZoomIn() const { return zoomType == ZOOM_IN; }
    // Anything but zoom in counts as zoom out.
    bool IsZoomOut() const { return !IsZoomIn(); }

  private:
    int zoomType = 0;

    wxDECLARE_DYNAMIC_CLASS(ZoomEvent);
};

wxDECLARE_EVENT(ZoomEventType, ZoomEvent);

typedef void (wxEvtHandler::*ZoomEventFunction)(ZoomEvent&);
#define ZoomEventHandler(func) wxEVENT_HANDLER_CAST(ZoomEventFunction, func)
// For an event table: EVT_ZOOM(Owner::OnZoom)
#define EVT_ZOOM(func) wx__DECLARE_EVT0(ZoomEventType, ZoomEventHandler(func))

class ZoomCtrl : public wxWindow {
  public:
    ZoomCtrl(wxWindow* parent, unsigned minimum, unsigned maximum, unsigned step, unsigned value);

    unsigned GetValue() const { return value; }
    unsigned GetMinimum() const { return minimum; }
    unsigned GetMaximum() const { return maximum; }
    unsigned GetStep() const { return step; }
    void SetMaximum(unsigned level) { maximum = level; }
    void SetMinimum(unsigned level) { minimum = level; }
    void SetStep(unsigned levels) { step = levels; }

    // Clamps the level into minimum ... maximum and repaints.
    void SetValue(unsigned level);
    void StepUp(unsigned count);
    // Stops at level 0 before clamping, so the level never wraps around.
    void StepDown(unsigned count);

    // How far, in pixels, the thumb stands from its place at the lowest level.
    int GetThumbOffset() const;
    // Draws the control as it looks at the given width.
    void Draw(wxDC& dc, int width);

  private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnSize(wxSizeEvent& event);

    int TrackLength() const;
    void QueueZoom(int zoomType);

    unsigned maximum;
    unsigned minimum;
    unsigned step;
    unsigned value;
    wxBitmap zoomOutBitmap;
    wxBitmap zoomInBitmap;
    bool dragging = false;

    wxDECLARE_EVENT_TABLE();
};
