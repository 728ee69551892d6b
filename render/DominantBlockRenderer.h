// Draws the cells of a held grid as blocks, each in the colour of the tree
// or group it is tagged with, placed exactly as the block renderer places
// its blocks. Shaded, a colour is blended toward white as the cell's value
// (the tree's share of the cell's uptake) falls.
#pragma once

#include <wx/colour.h>

#include <vector>

#include "render/LayerCanvas.h"

class HeldGridData;

// colour * share + white * (1 - share), each channel truncated; share is
// clamped to 0 .. 1. Never black, the transparent colour.
wxColour ShadedColor(const wxColour& color, double share);

class DominantBlockRenderer : public LayerCanvas {
  public:
    using LayerCanvas::LayerCanvas;

    // The colour of each tag, by tag; cells of a tag without one are not drawn.
    void SetTagColors(std::vector<wxColour> colors) { tagColors = std::move(colors); }
    void SetShaded(bool value) { shaded = value; }

    void Draw(Canvas& canvas, HeldGridData& data);

  private:
    std::vector<wxColour> tagColors;
    bool shaded = false;
};
