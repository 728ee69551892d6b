// Draws every cell of a gridded data set that lies in the view as a filled
// block in the palette colour of its value.
#pragma once

#include "render/GridDataRenderer.h"

class BlockGridDataRenderer : public GridDataRenderer {
  public:
    using GridDataRenderer::GridDataRenderer;

    // The caller fills the palette and gives the target with SetBitmap first.
    wxBitmap Render(GridData& data);

  private:
    bool CanFillDirectly() const;
};
