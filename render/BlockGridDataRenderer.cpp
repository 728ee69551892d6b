#include "render/BlockGridDataRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "render/LayerPixels.h"

namespace {

// Truncation toward zero into a range where sums of two values stay exact.
long long TruncWide(double value) {
    const double limit = 1e15;
    if (value > limit) {
        return static_cast<long long>(limit);
    }
    if (value < -limit) {
        return -static_cast<long long>(limit);
    }
    return static_cast<long long>(value);
}

// A block starts at trunc(pos) and is trunc(size) pixels long, truncated
// separately. Clipping that span to just around the bitmap keeps the pixels
// it covers and keeps the coordinates small enough for the toolkit.
bool ClipSpan(double pos, double size, int limit, int& clippedPos, int& clippedSize) {
    if (std::isnan(pos) || std::isnan(size)) {
        return false;
    }
    long long start = TruncWide(pos);
    long long length = TruncWide(size);
    if (length <= 0) {
        return false;
    }
    long long end = start + length;
    long long low = start < -1 ? -1 : start;
    long long high = end > limit + 1LL ? limit + 1LL : end;
    if (high <= low) {
        return false;
    }
    clippedPos = static_cast<int>(low);
    clippedSize = static_cast<int>(high - low);
    return true;
}

// The pixels of the box that lie on the bitmap.
void FillBox(LayerPixels& pixels, int x, int y, int w, int h, uint32_t word) {
    const int left = std::max(x, 0);
    const int right = std::min(x + w, pixels.Width());
    const int top = std::max(y, 0);
    const int bottom = std::min(y + h, pixels.Height());
    for (int row = top; row < bottom; ++row) {
        uint32_t* line = pixels.Row(row);
        for (int column = left; column < right; ++column) {
            line[column] = word;
        }
    }
}

}  // namespace

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
    double cell = data.GetCellSize();
    const PixelScale scale = frame.GridScale(cell);
    double minimum = data.GetMinValue();
    double maximum = data.GetMaxValue();

    // A cell is selected by its corner alone, edges included.
    data.SetViewFilter(
        ViewFilter{ViewFilter::EdgesIncluded, view.xMin, view.yMin, view.xMax, view.yMax});
    // Blocks overlap their neighbours by one pixel so no seam shows.
    double blockWidth = cell * scale.x + frame.PixelRatio();
    double blockHeight = cell * scale.y + frame.PixelRatio();
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
        const PixelPoint at = frame.CellCorner(data.GetX(), data.GetY(), cell, scale);
        int x, y, w, h;
        if (!ClipSpan(at.x, blockWidth, frame.Width(), x, w) ||
            !ClipSpan(at.y, blockHeight, frame.Height(), y, h)) {
            continue;
        }
        if (smooth && classes) {
            const wxColour color = GradientColor(palette, classes->Position(value));
            pixels ? FillBox(*pixels, x, y, w, h, LayerPixels::Opaque(color))
                   : canvas.FillBox(x, y, w, h, color);
            continue;
        }
        const int index = HasOwnClasses() ? classes->ClassOf(value)
                          : fixedRange    ? FixedPaletteIndex(value, *fixedRange, n)
                                          : PaletteIndex(value, minimum, maximum, n);
        if (pixels) {
            FillBox(*pixels, x, y, w, h, words[index]);
        } else {
            canvas.FillBox(x, y, w, h, palette[index]);
        }
    }
    pixels.reset();
    data.Close();
    data.ClearFilter();
}
