#include "render/PlotFrame.h"

#include <algorithm>

PixelScale PlotFrame::Fit(double cell) const {
    const double spanX = view.Width() + cell;
    const double spanY = view.Height() + cell;
    PixelScale scale;
    scale.x = width / spanX;
    scale.y = height / spanY;
    scale.originX = view.xMin;
    scale.originY = shape.northUp ? view.yMax + cell : view.yMin;
    scale.flipped = shape.northUp;
    if (shape.trueProportions) {
        // The shorter way fits; the other is centred in what is left.
        const double common = std::min(scale.x, scale.y);
        scale.x = common;
        scale.y = common;
        scale.left = (width - spanX * common) / 2.0;
        scale.top = (height - spanY * common) / 2.0;
    }
    return scale;
}

void PlotFrame::ToPlot(double px, double py, double& x, double& y) const {
    const PixelScale scale = StemScale();
    x = scale.originX + (px - scale.left) / scale.x;
    const double dy = (py - scale.top) / scale.y;
    y = scale.flipped ? scale.originY - dy : scale.originY + dy;
}
