#include "render/DominantBlockRenderer.h"

#include <algorithm>
#include <memory>

#include "data/HeldGridData.h"
#include "render/BlockSpans.h"
#include "render/LayerPixels.h"

wxColour ShadedColor(const wxColour& color, double share) {
    const double s = std::clamp(share, 0.0, 1.0);
    auto channel = [s](unsigned char c) {
        return static_cast<unsigned char>(c * s + 255.0 * (1.0 - s));
    };
    const wxColour shaded(channel(color.Red()), channel(color.Green()), channel(color.Blue()));
    return shaded == *wxBLACK ? wxColour(1, 1, 1) : shaded;
}

void DominantBlockRenderer::Draw(Canvas& canvas, HeldGridData& data) {
    const PlotRect& view = frame.View();
    // Selected and sized as the block renderer selects and sizes its blocks.
    data.SetViewFilter(
        ViewFilter{ViewFilter::EdgesIncluded, view.xMin, view.yMin, view.xMax, view.yMax});
    const CellBlocks blocks(frame, data.GetCellSize());
    std::unique_ptr<LayerPixels> pixels;
    if (canvas.Image()) {
        pixels = std::make_unique<LayerPixels>(canvas.Image());
        if (!pixels->IsOk()) {
            pixels.reset();
        }
    }
    for (data.First(); data.IsValid(); data.Next()) {
        const int tag = data.GetTag();
        if (tag < 0 || size_t(tag) >= tagColors.size() || !tagColors[size_t(tag)].IsOk()) {
            continue;
        }
        PixelBox box;
        if (!blocks.Clip(data.GetX(), data.GetY(), box)) {
            continue;
        }
        const wxColour& own = tagColors[size_t(tag)];
        const wxColour color = shaded ? ShadedColor(own, data.GetValue()) : own;
        if (pixels) {
            FillBox(*pixels, box.x, box.y, box.w, box.h, LayerPixels::Opaque(color));
        } else {
            canvas.FillBox(box.x, box.y, box.w, box.h, color);
        }
    }
    pixels.reset();
    data.Close();
    data.ClearFilter();
}
