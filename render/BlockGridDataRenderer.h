// Draws every cell of a gridded data set that lies in the view as a filled
// block in the palette colour of its value.
#pragma once

#include "render/GridDataRenderer.h"

class BlockGridDataRenderer : public GridDataRenderer {
  public:
    using GridDataRenderer::GridDataRenderer;

    // The caller fills the palette first.
    void Draw(Canvas& canvas, GridData& data);
    // Draws on the bitmap given with SetBitmap.
    wxBitmap Render(GridData& data) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, data); });
    }

  private:
    bool CanFillDirectly() const;
};
