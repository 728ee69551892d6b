#include "render/PlotPixels.h"

#include <algorithm>
#include <cmath>

#include "render/ViewNavigator.h"

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

void PixelToPlot(const PlotFrame& frame, int px, int py, double& x, double& y) {
    if (frame.Shape().IsPlain()) {
        PixelToPlot(frame.View(), frame.Width(), frame.Height(), px, py, x, y);
        return;
    }
    frame.ToPlot(px, py, x, y);
}

PlotRect PannedView(const PlotFrame& frame, int dx, int dy) {
    if (frame.Shape().IsPlain()) {
        return PannedView(frame.View(), frame.Width(), frame.Height(), dx, dy);
    }
    double fromX, fromY, toX, toY;
    frame.ToPlot(0.0, 0.0, fromX, fromY);
    frame.ToPlot(dx, dy, toX, toY);
    PlotRect moved = frame.View();
    // A view without extent has no scale to move by.
    if (!std::isfinite(toX - fromX) || !std::isfinite(toY - fromY)) {
        return moved;
    }
    moved.xMin -= toX - fromX;
    moved.xMax -= toX - fromX;
    moved.yMin -= toY - fromY;
    moved.yMax -= toY - fromY;
    return moved;
}

void PixelFractions(const PlotFrame& frame, int px, int py, double& fx, double& fy) {
    const PlotRect& view = frame.View();
    if (frame.Shape().IsPlain()) {
        fx = ViewNavigator::PixelFraction(px, frame.Width());
        fy = ViewNavigator::PixelFraction(py, frame.Height());
        return;
    }
    double x, y;
    frame.ToPlot(px + 0.5, py + 0.5, x, y);
    fx = std::clamp((x - view.xMin) / view.Width(), 0.0, 1.0);
    fy = std::clamp((y - view.yMin) / view.Height(), 0.0, 1.0);
    // NaN, from a view without extent, zooms about the middle.
    fx = std::isnan(fx) ? 0.5 : fx;
    fy = std::isnan(fy) ? 0.5 : fy;
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
