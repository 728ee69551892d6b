#include "render/BlockGridDataRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "render/BlockSpans.h"
#include "render/LayerPixels.h"

// A block covers exactly the pixels of its box, as the toolkit fills and
// outlines a rectangle with a one-pixel pen of the fill colour; with opaque
// colours it can be put down as those pixels directly.
bool BlockGridDataRenderer::CanFillDirectly() const {
    for (const wxColour& color : palette) {
        if (color.Alpha() != 255) {
            return false;
        }
    }
    return true;
}

void BlockGridDataRenderer::Draw(Canvas& canvas, GridData& data) {
    int n = static_cast<int>(palette.size());
    if (n == 0) {
        return;  // nothing to pick a colour from
    }
    const PlotRect& view = frame.View();
    double minimum = data.GetMinValue();
    double maximum = data.GetMaxValue();

    // A cell is selected by its corner alone, edges included; a cell of 0
    // draws nothing, so a set may pass over those.
    data.SetViewFilter(
        ViewFilter{ViewFilter::EdgesIncluded, view.xMin, view.yMin, view.xMax, view.yMax, true});
    const CellBlocks blocks(frame, data.GetCellSize());
    std::vector<uint32_t> words;
    for (const wxColour& color : palette) {
        words.push_back(LayerPixels::Opaque(color));
    }
    // Straight into the pixels of an image where that gives the same
    // picture; through the canvas otherwise.
    std::unique_ptr<LayerPixels> pixels;
    if (canvas.Image() && CanFillDirectly()) {
        pixels = std::make_unique<LayerPixels>(canvas.Image());
        if (!pixels->IsOk()) {
            pixels.reset();
        }
    }
    for (data.First(); data.IsValid(); data.Next()) {
        double value = data.GetValue();
        if (value == 0.0) {
            continue;
        }
        PixelBox box;
        if (!blocks.Clip(data.GetX(), data.GetY(), box)) {
            continue;
        }
        if (smooth && classes) {
            const wxColour color = GradientColor(palette, classes->Position(value));
            pixels ? FillBox(*pixels, box.x, box.y, box.w, box.h, LayerPixels::Opaque(color))
                   : canvas.FillBox(box.x, box.y, box.w, box.h, color);
            continue;
        }
        const int index = HasOwnClasses() ? classes->ClassOf(value)
                          : fixedRange    ? FixedPaletteIndex(value, *fixedRange, n)
                                          : PaletteIndex(value, minimum, maximum, n);
        if (pixels) {
            FillBox(*pixels, box.x, box.y, box.w, box.h, words[index]);
        } else {
            canvas.FillBox(box.x, box.y, box.w, box.h, palette[index]);
        }
    }
    pixels.reset();
    data.Close();
    data.ClearFilter();
}
