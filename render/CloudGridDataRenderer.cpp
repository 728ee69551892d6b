#include "render/CloudGridDataRenderer.h"

#include <wx/graphics.h>

#include <cmath>
#include <cstdlib>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "render/LayerPixels.h"

namespace {

// The pixels, relative to the box's corner, that the toolkit sets for one
// dot: a 2 by 2 filled and outlined ellipse drawn without anti-aliasing.
// Learnt once by drawing such a dot, so stamping it gives the very pixels
// the toolkit would draw, at a small fraction of the cost of a shape call
// per dot (a dense cloud has hundreds of thousands of dots).
const std::vector<wxPoint>& DotPattern() {
    static const std::vector<wxPoint> pattern = [] {
        const int size = 8;
        const int corner = 3;
        std::vector<wxPoint> pixels;
        wxBitmap scratch = NewLayerBitmap(size, size);
        {
            wxMemoryDC dc(scratch);
            if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
                gc->SetAntialiasMode(wxANTIALIAS_NONE);
            }
            dc.SetPen(wxPen(*wxWHITE, 1, wxPENSTYLE_SOLID));
            dc.SetBrush(wxBrush(*wxWHITE, wxBRUSHSTYLE_SOLID));
            dc.DrawEllipse(corner, corner, 2, 2);
            dc.SelectObject(wxNullBitmap);
        }
        wxImage image = scratch.ConvertToImage();
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (image.GetRed(x, y) != 0) {
                    pixels.emplace_back(x - corner, y - corner);
                }
            }
        }
        return pixels;
    }();
    return pattern;
}

}  // namespace

CloudGridDataRenderer::CloudGridDataRenderer(double xMin, double yMin, double xMax, double yMax,
                                             int width, int height)
    : GridDataRenderer(xMin, yMin, xMax, yMax, width, height) {}

wxBitmap CloudGridDataRenderer::Render(GridData& data) {
    double maximum = data.GetMaxValue();
    // With no positive maximum a cell's share is undefined or infinite.
    if (!CanDraw() || !color.IsOk() || !(maximum > 0.0) || !std::isfinite(maximum) ||
        density <= 0) {
        return bitmap;
    }
    double cell = data.GetCellSize();
    double sx = GridScaleX(cell);
    double sy = GridScaleY(cell);

    // Strict comparisons: a cell whose corner lies on the view's edge is left out.
    data.SetViewFilter(
        ViewFilter{ViewFilter::InsidePositive, view.xMin, view.yMin, view.xMax, view.yMax});
    SetSolidColor(color);
    std::vector<wxPoint> corners;
    for (data.First(); data.IsValid(); data.Next()) {
        double x = data.GetX();
        double y = data.GetY();
        double value = data.GetValue();
        double px = (x - view.xMin) * sx;
        double py = (y - view.yMin) * sy;
        long double share = static_cast<long double>(value) / maximum * density;
        for (int i = 0; i < density && share > i; ++i) {
            int a = std::rand() % 100;
            int b = std::rand() % 100;
            int dotX = PixelInt((a / 100.0) * cell * sx + px) - 1;
            int dotY = PixelInt((b / 100.0) * cell * sy + py) - 1;
            corners.emplace_back(dotX, dotY);
        }
    }
    data.Close();
    data.ClearFilter();
    DrawDots(corners);
    return bitmap;
}

void CloudGridDataRenderer::DrawDots(const std::vector<wxPoint>& corners) {
    const std::vector<wxPoint>& pattern = DotPattern();
    if (corners.empty()) {
        return;
    }
    if (!pattern.empty()) {
        Unbind();
        bool stamped = false;
        {
            LayerPixels pixels(bitmap);
            if (pixels.IsOk()) {
                const int w = pixels.Width();
                const int h = pixels.Height();
                const uint32_t dot = LayerPixels::Opaque(color);
                for (const wxPoint& corner : corners) {
                    for (const wxPoint& offset : pattern) {
                        const int x = corner.x + offset.x;
                        const int y = corner.y + offset.y;
                        if (x >= 0 && y >= 0 && x < w && y < h) {
                            pixels.Row(y)[x] = dot;
                        }
                    }
                }
                stamped = true;
            }
        }
        Bind();
        if (stamped) {
            return;
        }
    }
    // A bitmap without direct pixel access gets one shape call per dot.
    SetSolidColor(color);
    for (const wxPoint& corner : corners) {
        dc.DrawEllipse(corner.x, corner.y, 2, 2);
    }
}
