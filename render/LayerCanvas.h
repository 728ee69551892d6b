// The base of every renderer: the frame it was built for, its colours, and
// the drawing onto a canvas. A renderer may also be given a layer bitmap of
// the window to draw on, through the same canvas code.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>

#include <functional>

#include "render/Canvas.h"
#include "render/ColorSettings.h"
#include "render/PlotFrame.h"
#include "render/PlotPixels.h"

class LayerCanvas {
  public:
    explicit LayerCanvas(const PlotFrame& frame) : frame(frame) {}
    LayerCanvas(double xMin, double yMin, double xMax, double yMax, int width, int height)
        : frame(PlotRect{xMin, yMin, xMax, yMax}, width, height) {}
    LayerCanvas(const LayerCanvas&) = delete;
    LayerCanvas& operator=(const LayerCanvas&) = delete;

    void AddColor(const wxColour& color);
    // Render draws from now on over a private copy of the given bitmap's
    // pixels, so the caller's bitmap object never changes; Render hands the
    // result back.
    void SetBitmap(const wxBitmap& target);
    // The same, for a caller that lets go of its bitmap: its pixels are drawn
    // on without a copy, and target is left empty.
    void TakeBitmap(wxBitmap& target);

    const Palette& GetPalette() const { return palette; }
    int GetPaletteCount() const { return paletteCount; }

  protected:
    // Renderers are destroyed through their own type.
    ~LayerCanvas() = default;

    // Runs draw on a canvas over the bitmap (a black one of the frame's size
    // when none was given) and returns the bitmap.
    wxBitmap DrawOnBitmap(const std::function<void(Canvas&)>& draw);

    Palette palette;
    int paletteCount = 0;
    wxBitmap bitmap;
    PlotFrame frame;
};

// A width by height layer bitmap, 32 bits per pixel, every pixel black;
// invalid when a size is below 1.
wxBitmap NewLayerBitmap(int width, int height);

// Black is the transparent colour of every layer: masks exactly the pixels
// that are (0, 0, 0).
void MaskBlack(wxBitmap& bitmap);
