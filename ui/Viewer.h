// The plot canvas: stacks the layer bitmaps into one picture, paints it on
// black, and turns left-button gestures and the wheel into pan, centre, pick
// and zoom requests that its owner handles. On a screen with a scale factor
// the layers are drawn at the screen's own pixels, and the picture is shown
// without enlargement; the requests are in the picture's pixels.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

#include <functional>
#include <vector>

struct ViewerHooks {
    // A drag of (dx, dy) picture pixels ended; also a double click, which
    // moves the clicked point to the middle.
    std::function<void(int dx, int dy)> pan;
    // A click at picture pixel (x, y).
    std::function<void(int x, int y)> click;
    // Wheel notches (positive: in) about picture pixel (x, y).
    std::function<void(int notches, int x, int y)> wheel;
    // The viewer's size changed.
    std::function<void()> resized;
};

class Viewer : public wxWindow {
  public:
    Viewer(wxWindow* parent, ViewerHooks hooks);

    // Picture pixels for each of the window's pixels: the screen's scale factor.
    double PixelRatio() const;
    // The size layers are drawn at: the window's, in the screen's own pixels.
    wxSize PictureSize() const;
    // Bottom layer first. Drops the stacked picture and repaints.
    void SetLayers(const std::vector<wxBitmap>& layers);
    const std::vector<wxBitmap>& GetLayers() const { return layers; }
    // The stacked picture at the picture size, without any drag offset;
    // invalid when there are no layers.
    wxBitmap GetComposite();
    // The picture pixel under a pixel of the window.
    wxPoint PicturePixel(const wxPoint& windowPixel) const;

    bool IsDragging() const { return dragging; }
    wxPoint GetDragOffset() const { return dragOffset; }

  private:
    ViewerHooks hooks;
    std::vector<wxBitmap> layers;
    wxBitmap composite;
    bool dragging = false;
    wxPoint dragOffset;
    wxPoint dragStart;
    int wheelRotation = 0;  // the part of a notch not yet turned into a zoom

    // The stacked picture, rebuilt when missing or of another size than the picture.
    void UpdateComposite();

    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeftDoubleClick(wxMouseEvent& event);
    void OnLeaveWindow(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnSize(wxSizeEvent& event);

    wxDECLARE_EVENT_TABLE();
};
