#include "render/PointDataRenderer.h"

#include <algorithm>
#include <cmath>

#include "data/PointData.h"

namespace {

// The labels' face and size.
const TextFont kLabelFont{14};

}  // namespace

bool PointDataRenderer::HasScale() const {
    const PixelScale scale = frame.StemScale();
    return std::isfinite(scale.x) && std::isfinite(scale.y) && scale.x > 0.0 && scale.y > 0.0;
}

void PointDataRenderer::Draw(Canvas& canvas, PointData& points) {
    if (!color.IsOk() || !HasScale()) {
        return;
    }
    const PlotRect& view = frame.View();
    const PixelScale scale = frame.StemScale();
    const int dot = frame.Pixels(20);
    for (points.First(); points.IsValid(); points.Next()) {
        double x = points.GetX();
        double y = points.GetY();
        if (!(x >= view.xMin && x <= view.xMax && y >= view.yMin && y <= view.yMax)) {
            continue;
        }
        const PixelPoint at = frame.ToPixel(x, y, scale);
        canvas.FillEllipse(PixelInt(at.x) - dot / 2, PixelInt(at.y) - dot / 2, dot, dot, color);
    }
    points.Close();
}

void SizedPointDataRenderer::Draw(Canvas& canvas, PointData& points) {
    if (!color.IsOk() || !HasScale()) {
        return;
    }
    const PixelScale scale = frame.StemScale();
    for (points.First(); points.IsValid(); points.Next()) {
        // No test against the view: a circle whose stem lies outside may
        // still reach in, and the bitmap's edges clip the rest.
        const PixelPoint at = frame.ToPixel(points.GetX(), points.GetY(), scale);
        // The x scale serves both ways, so the circle stays round.
        double r = points.GetColumnValue(column) * scale.x;
        DrawCircle(canvas, std::trunc(at.x), std::trunc(at.y), std::trunc(r));
    }
    points.Close();
}

void SizedPointDataRenderer::DrawCircle(Canvas& canvas, double cx, double cy, double radius) {
    // A zero or negative radius leaves nothing to fill.
    if (!(radius > 0.0) || std::isnan(cx) || std::isnan(cy)) {
        return;
    }
    const int width = frame.Width();
    const int height = frame.Height();
    if (cx + radius < 0 || cx - radius >= width || cy + radius < 0 || cy - radius >= height) {
        return;  // off the bitmap
    }
    // Deep in a zoom a circle can be far larger than cairo can draw; when it
    // holds the whole bitmap, the bitmap is all it shows.
    double farX = std::max(std::fabs(cx), std::fabs(cx - width));
    double farY = std::max(std::fabs(cy), std::fabs(cy - height));
    if (farX * farX + farY * farY < (radius - 1) * (radius - 1)) {
        canvas.FillBox(0, 0, width, height, color);
        return;
    }
    int r = PixelInt(radius);
    canvas.FillEllipse(PixelInt(cx) - r, PixelInt(cy) - r, 2 * r, 2 * r, color);
}

void LabelPointDataRenderer::Draw(Canvas& canvas, PointData& points) {
    if (!labelColor.IsOk() || !HasScale()) {
        return;
    }
    const PixelScale scale = frame.StemScale();
    // Each label sits on an opaque white box.
    const wxColour background(255, 255, 255);
    for (points.First(); points.IsValid(); points.Next()) {
        const PixelPoint at = frame.ToPixel(points.GetX(), points.GetY(), scale);
        int px = PixelInt(at.x);
        int py = PixelInt(at.y);
        if (px >= frame.Width() || py >= frame.Height()) {
            continue;  // starts beyond the bitmap
        }
        canvas.Text(points.GetLabel(), px, py, kLabelFont, labelColor, &background);
    }
    points.Close();
}
