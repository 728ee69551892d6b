#include "render/BlockGridDataRenderer.h"

#include <cmath>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"

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

}  // namespace

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
    std::string xColumn = SqlName(data.GetXColumn());
    std::string yColumn = SqlName(data.GetYColumn());
    data.SetFilter(Query("WHERE %s >= %f AND %s <= %f AND %s >= %f AND %s <= %f", xColumn.c_str(),
                         view.xMin, xColumn.c_str(), view.xMax, yColumn.c_str(), view.yMin,
                         yColumn.c_str(), view.yMax));
    // Blocks overlap their neighbours by one pixel so no seam shows.
    double blockWidth = cell * sx + 1;
    double blockHeight = cell * sy + 1;
    int current = -1;
    for (data.First(); data.IsValid(); data.Next()) {
        double value = data.GetValue();
        if (value == 0.0) {
            continue;
        }
        double px = (data.GetX() - view.xMin) * sx;
        double py = (data.GetY() - view.yMin) * sy;
        int index = PaletteIndex(value, minimum, maximum, n);
        if (index != current) {
            SetSolidColor(palette[index]);
            current = index;
        }
        int x, y, w, h;
        if (ClipSpan(px, blockWidth, width, x, w) && ClipSpan(py, blockHeight, height, y, h)) {
            dc.DrawRectangle(x, y, w, h);
        }
    }
    data.Close();
    data.ClearFilter();
    return bitmap;
}
