// Where a grid cell's block lies in a picture's pixels, written once for
// every renderer that draws cells as blocks.
#pragma once

#include <cstdint>

#include "render/PlotFrame.h"

class LayerPixels;

// A block starts at trunc(pos) and is trunc(size) pixels long, truncated
// separately. Clipping that span to just around the bitmap keeps the pixels
// it covers and keeps the coordinates small enough for the toolkit. False
// when it covers none.
bool ClipSpan(double pos, double size, int limit, int& clippedPos, int& clippedSize);

// Sets the pixels of the box that lie on the bitmap to the word.
void FillBox(LayerPixels& pixels, int x, int y, int w, int h, uint32_t word);

// A box of pixels, clipped to just around the picture.
struct PixelBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// The blocks of a set's cells in a frame: each cell's block one pixel (of
// the nominal picture) larger than the cell, so that no seam shows between
// neighbours.
class CellBlocks {
  public:
    CellBlocks(const PlotFrame& frame, double cell);
    // False when the block of the cell with corner (x, y) covers no pixel.
    bool Clip(double x, double y, PixelBox& box) const;

  private:
    const PlotFrame& frame;
    double cell;
    PixelScale scale;
    double width;
    double height;
};
