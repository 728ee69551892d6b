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

wxBitmap BlockGridDataRenderer::Render(GridData& data) {
    int n = static_cast<int>(palette.size());
    if (n == 0 || !CanDraw()) {
        return bitmap;  // nothing to pick a colour from
    }
    double cell = data.GetCellSize();
    double sx = GridScaleX(cell);
    double sy = GridScaleY(cell);
    double minimum = data.GetMinValue();
    double maximum = data.GetMaxValue();

    // A cell is selected by its corner alone, edges included.
    data.SetViewFilter(
        ViewFilter{ViewFilter::EdgesIncluded, view.xMin, view.yMin, view.xMax, view.yMax});
    // Blocks overlap their neighbours by one pixel so no seam shows.
    double blockWidth = cell * sx + 1;
    double blockHeight = cell * sy + 1;
    std::vector<uint32_t> words;
    for (const wxColour& color : palette) {
        words.push_back(LayerPixels::Opaque(color));
    }
    // Straight into the pixels where that gives the same picture; the
    // bitmap is drawn through the DC otherwise.
    std::unique_ptr<LayerPixels> pixels;
    if (CanFillDirectly()) {
        Unbind();
        pixels = std::make_unique<LayerPixels>(bitmap);
        if (!pixels->IsOk()) {
            pixels.reset();
            Bind();
        }
    }
    int current = -1;
    for (data.First(); data.IsValid(); data.Next()) {
        double value = data.GetValue();
        if (value == 0.0) {
            continue;
        }
        double px = (data.GetX() - view.xMin) * sx;
        double py = (data.GetY() - view.yMin) * sy;
        int index = fixedRange ? FixedPaletteIndex(value, *fixedRange, n)
                               : PaletteIndex(value, minimum, maximum, n);
        int x, y, w, h;
        if (!ClipSpan(px, blockWidth, width, x, w) || !ClipSpan(py, blockHeight, height, y, h)) {
            continue;
        }
        if (pixels) {
            FillBox(*pixels, x, y, w, h, words[index]);
            continue;
        }
        if (index != current) {
            SetSolidColor(palette[index]);
            current = index;
        }
        dc.DrawRectangle(x, y, w, h);
    }
    if (pixels) {
        pixels.reset();
        Bind();
    }
    data.Close();
    data.ClearFilter();
    return bitmap;
}
