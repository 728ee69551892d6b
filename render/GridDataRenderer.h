// The base of the renderers that draw a gridded data set onto a layer.
#pragma once

#include <wx/bitmap.h>

#include "render/LayerCanvas.h"

class GridData;

class GridDataRenderer : public LayerCanvas {
  public:
    using LayerCanvas::LayerCanvas;
    virtual ~GridDataRenderer() = default;

    // A red diagonal from the top-left corner; no layer uses it.
    virtual wxBitmap RenderTestPattern();
};
