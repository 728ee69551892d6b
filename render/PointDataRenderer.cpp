#include "render/PointDataRenderer.h"

#include <wx/font.h>

#include <algorithm>
#include <cmath>

#include "data/PointData.h"

bool PointDataRenderer::HasScale() const {
    double sx = ScaleX();
    double sy = ScaleY();
    return std::isfinite(sx) && std::isfinite(sy) && sx > 0.0 && sy > 0.0;
}

wxBitmap PointDataRenderer::Render(PointData& points) {
    if (!CanDraw() || !color.IsOk() || !HasScale()) {
        return bitmap;
    }
    double sx = ScaleX();
    double sy = ScaleY();
    for (points.First(); points.IsValid(); points.Next()) {
        double x = points.GetX();
        double y = points.GetY();
        if (!(x >= view.xMin && x <= view.xMax && y >= view.yMin && y <= view.yMax)) {
            continue;
        }
        SetSolidColor(color);
        int px = PixelInt((x - view.xMin) * sx);
        int py = PixelInt((y - view.yMin) * sy);
        dc.DrawEllipse(px - 10, py - 10, 20, 20);
    }
    points.Close();
    return bitmap;
}

wxBitmap SizedPointDataRenderer::Render(PointData& points) {
    if (!CanDraw() || !color.IsOk() || !HasScale()) {
        return bitmap;
    }
    double sx = ScaleX();
    double sy = ScaleY();
    for (points.First(); points.IsValid(); points.Next()) {
        // No test against the view: a circle whose stem lies outside may
        // still reach in, and the bitmap's edges clip the rest.
        double px = (points.GetX() - view.xMin) * sx;
        double py = (points.GetY() - view.yMin) * sy;
        double r = points.GetColumnValue(column) * sx;
        SetSolidColor(color);
        DrawCircle(std::trunc(px), std::trunc(py), std::trunc(r));
    }
    points.Close();
    return bitmap;
}

void SizedPointDataRenderer::DrawCircle(double cx, double cy, double radius) {
    // A zero or negative radius leaves nothing to fill.
    if (!(radius > 0.0) || std::isnan(cx) || std::isnan(cy)) {
        return;
    }
    if (cx + radius < 0 || cx - radius >= width || cy + radius < 0 || cy - radius >= height) {
        return;  // off the bitmap
    }
    // Deep in a zoom a circle can be far larger than the toolkit can draw;
    // when it holds the whole bitmap, the bitmap is all it shows.
    double farX = std::max(std::fabs(cx), std::fabs(cx - width));
    double farY = std::max(std::fabs(cy), std::fabs(cy - height));
    if (farX * farX + farY * farY < (radius - 1) * (radius - 1)) {
        dc.DrawRectangle(0, 0, width, height);
        return;
    }
    int r = PixelInt(radius);
    dc.DrawEllipse(PixelInt(cx) - r, PixelInt(cy) - r, 2 * r, 2 * r);
}

wxBitmap LabelPointDataRenderer::Render(PointData& points) {
    if (!CanDraw() || !labelColor.IsOk() || !HasScale()) {
        return bitmap;
    }
    double sx = ScaleX();
    double sy = ScaleY();
    for (points.First(); points.IsValid(); points.Next()) {
        int px = PixelInt((points.GetX() - view.xMin) * sx);
        int py = PixelInt((points.GetY() - view.yMin) * sy);
        SetSolidColor(labelColor);
        dc.SetFont(wxFont(14, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                          wxEmptyString, wxFONTENCODING_DEFAULT));
        dc.SetTextForeground(labelColor);
        // Each label sits on an opaque white box.
        dc.SetTextBackground(*wxWHITE);
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        if (px >= width || py >= height) {
            continue;  // starts beyond the bitmap
        }
        dc.DrawText(points.GetLabel(), px, py);
    }
    points.Close();
    return bitmap;
}
