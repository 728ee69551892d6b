// Where a grid cell's block lies in a picture's pixels, written once for
// every renderer that draws cells as blocks.
#pragma once

#include <cstdint>

class LayerPixels;

// A block starts at trunc(pos) and is trunc(size) pixels long, truncated
// separately. Clipping that span to just around the bitmap keeps the pixels
// it covers and keeps the coordinates small enough for the toolkit. False
// when it covers none.
bool ClipSpan(double pos, double size, int limit, int& clippedPos, int& clippedSize);

// Sets the pixels of the box that lie on the bitmap to the word.
void FillBox(LayerPixels& pixels, int x, int y, int w, int h, uint32_t word);
