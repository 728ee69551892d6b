// The plot canvas: stacks the layer bitmaps into one picture at its own size,
// paints it on black, and turns left-button gestures into pan, centre and
// pick requests to the main window.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

#include <vector>

class MainWindow;

class Viewer : public wxWindow {
  public:
    explicit Viewer(wxWindow* parent);

    // Bottom layer first. Drops the stacked picture and repaints.
    void SetLayers(const std::vector<wxBitmap>& layers);
    const std::vector<wxBitmap>& GetLayers() const { return layers; }
    // The stacked picture at the viewer's size, without any drag offset;
    // invalid when there are no layers.
    wxBitmap GetComposite();

    bool IsDragging() const { return dragging; }
    wxPoint GetDragOffset() const { return dragOffset; }

  private:
    std::vector<wxBitmap> layers;
    wxBitmap composite;
    bool dragging = false;
    wxPoint dragOffset;
    wxPoint dragStart;
    int wheelRotation = 0;  // the part of a notch not yet turned into a zoom

    // The stacked picture, rebuilt when missing or of another size than the window.
    void UpdateComposite();
    MainWindow* GetMainWindow() const;

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
