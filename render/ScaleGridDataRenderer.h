// Draws the coordinate scale: tick marks with their values along the top and
// left edges, at round plot coordinates that give five to ten intervals
// across the view.
#pragma once

#include <wx/colour.h>

#include "render/GridDataRenderer.h"

class ScaleGridDataRenderer : public GridDataRenderer {
  public:
    using GridDataRenderer::GridDataRenderer;

    void SetColor(const wxColour& value) { color = value; }

    // Only the data set's cell size is used, so the ticks line up with the
    // grid layers; without a grid (null) cells count as 1.0.
    void Draw(Canvas& canvas, GridData* data);
    // Draws on the bitmap given with SetBitmap.
    wxBitmap Render(GridData* data) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, data); });
    }
    wxBitmap Render(GridData& data) { return Render(&data); }

    // The tick spacing for a view of the given width; 0 when there is none.
    static double TickSpacing(double range);

  private:
    wxColour color;
};
