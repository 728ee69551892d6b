#include "render/PlotPixels.h"

#include <cmath>

namespace {

// Cairo keeps coordinates in 24.8 fixed point: beyond about 2^23 shapes come
// out wrong, so positions are held well inside that.
constexpr double kPixelLimit = 4194304.0;  // 2^22

}  // namespace

float UnitsPerPixel(double span, int pixels) {
    if (pixels <= 0) {
        return 0.0f;
    }
    return static_cast<float>(span) / static_cast<float>(pixels);
}

void PixelToPlot(const PlotRect& view, int viewerWidth, int viewerHeight, int px, int py, double& x,
                 double& y) {
    // The real extent is used: truncating it to whole units would move a
    // click up to a unit away and freeze views narrower than one unit.
    float kx = UnitsPerPixel(view.Width(), viewerWidth);
    float ky = UnitsPerPixel(view.Height(), viewerHeight);
    x = view.xMin + px * kx;
    y = view.yMin + py * ky;
}

PlotRect PannedView(const PlotRect& view, int viewerWidth, int viewerHeight, int dx, int dy) {
    float kx = UnitsPerPixel(view.Width(), viewerWidth);
    float ky = UnitsPerPixel(view.Height(), viewerHeight);
    double moveX = dx * static_cast<double>(kx);
    double moveY = dy * static_cast<double>(ky);
    PlotRect moved = view;
    moved.xMin -= moveX;
    moved.xMax -= moveX;
    moved.yMin -= moveY;
    moved.yMax -= moveY;
    return moved;
}

int PixelInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value > kPixelLimit) {
        return static_cast<int>(kPixelLimit);
    }
    if (value < -kPixelLimit) {
        return -static_cast<int>(kPixelLimit);
    }
    return static_cast<int>(value);  // truncates toward zero
}
