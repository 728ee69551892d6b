// The base of the renderers that draw a gridded data set onto a layer.
#pragma once

#include <wx/bitmap.h>

#include <optional>

#include "render/LayerCanvas.h"
#include "render/ValueRange.h"

class GridData;

class GridDataRenderer : public LayerCanvas {
  public:
    using LayerCanvas::LayerCanvas;
    virtual ~GridDataRenderer() = default;

    // A red diagonal from the top-left corner; no layer uses it.
    virtual wxBitmap RenderTestPattern();

    // The values the palette spans, for the renderers that pick palette
    // colours; none (the default) spans the data set's own range.
    void SetFixedRange(const std::optional<ValueRange>& range) { fixedRange = range; }

  protected:
    std::optional<ValueRange> fixedRange;
};
