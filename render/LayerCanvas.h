// The drawing surface every renderer draws on: a layer bitmap bound to a
// memory drawing context that puts down exact pixels, with the view and
// pixel size the renderer was built for.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dcmemory.h>

#include "render/ColorSettings.h"
#include "render/PlotPixels.h"

class LayerCanvas {
  public:
    LayerCanvas(double xMin, double yMin, double xMax, double yMax, int width, int height);
    LayerCanvas(const LayerCanvas&) = delete;
    LayerCanvas& operator=(const LayerCanvas&) = delete;

    void AddColor(const wxColour& color);
    // Draws from now on over a private copy of the given bitmap's pixels, so
    // the caller's bitmap object never changes; Render hands the result back.
    void SetBitmap(const wxBitmap& target);
    // The same, for a caller that lets go of its bitmap: its pixels are drawn
    // on without a copy, and target is left empty.
    void TakeBitmap(wxBitmap& target);

    const Palette& GetPalette() const { return palette; }
    int GetPaletteCount() const { return paletteCount; }

  protected:
    // Renderers are destroyed through their own type.
    ~LayerCanvas();

    // True once there is a bitmap to draw on (the renderer's own, black,
    // when none was given).
    bool CanDraw();
    // A one-pixel solid pen and a solid brush of the colour.
    void SetSolidColor(const wxColour& color);
    // Makes the bitmap member the drawing target again (after direct pixel access).
    void Bind();
    // Lets go of the bitmap so its pixels can be written directly.
    void Unbind();

    Palette palette;
    int paletteCount = 0;
    wxMemoryDC dc;
    wxBitmap bitmap;
    PlotRect view;
    int width;
    int height;
};

// A width by height layer bitmap, 32 bits per pixel, every pixel black;
// invalid when a size is below 1.
wxBitmap NewLayerBitmap(int width, int height);

// Black is the transparent colour of every layer: masks exactly the pixels
// that are (0, 0, 0).
void MaskBlack(wxBitmap& bitmap);
