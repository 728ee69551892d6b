#include "render/PointDataRenderer.h"

#include <wx/font.h>

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
        int radius = PixelInt(r);
        int left = PixelInt(px) - radius;
        int top = PixelInt(py) - radius;
        // A zero or negative radius leaves nothing to fill; a box entirely
        // off the bitmap is skipped before its coordinates reach the toolkit.
        if (radius <= 0 || left >= width || top >= height || left + 2.0 * radius < 0 ||
            top + 2.0 * radius < 0) {
            continue;
        }
        dc.DrawEllipse(left, top, 2 * radius, 2 * radius);
    }
    points.Close();
    return bitmap;
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
