#include "render/BlockSpans.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

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

CellBlocks::CellBlocks(const PlotFrame& frame, double cell)
    : frame(frame),
      cell(cell),
      scale(frame.GridScale(cell)),
      width(cell * scale.x + frame.PixelRatio()),
      height(cell * scale.y + frame.PixelRatio()) {}

bool CellBlocks::Clip(double x, double y, PixelBox& box) const {
    const PixelPoint at = frame.CellCorner(x, y, cell, scale);
    return ClipSpan(at.x, width, frame.Width(), box.x, box.w) &&
           ClipSpan(at.y, height, frame.Height(), box.y, box.h);
}
