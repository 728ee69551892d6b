// The base of the renderers that draw a gridded data set onto a layer bitmap.
#pragma once

#include <wx/bitmap.h>

#include <optional>

#include "render/LayerCanvas.h"
#include "render/ValueRange.h"

class GridData;

class GridDataRenderer : public LayerCanvas {
  public:
    GridDataRenderer(double xMin, double yMin, double xMax, double yMax, int width, int height);
    virtual ~GridDataRenderer() = default;

    // A red diagonal from the top-left corner; no layer uses it.
    virtual wxBitmap RenderTestPattern();

    // The values the palette spans, for the renderers that pick palette
    // colours; none (the default) spans the data set's own range.
    void SetFixedRange(const std::optional<ValueRange>& range) { fixedRange = range; }

  protected:
    std::optional<ValueRange> fixedRange;

    // Pixels per plot unit on the grid layers: one cell is added to the
    // view's extent so that the cell whose corner lies on the view's far
    // edge still fits.
    double GridScaleX(double cell) const { return width / (view.xMax - view.xMin + cell); }
    double GridScaleY(double cell) const { return height / (view.yMax - view.yMin + cell); }
};
