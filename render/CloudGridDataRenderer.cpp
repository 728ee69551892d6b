#include "render/CloudGridDataRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "render/LayerImage.h"
#include "render/LayerPixels.h"

namespace {

// The pixels, relative to the box's corner, that one dot covers: a filled
// and outlined ellipse of 2 by 2 pixels of the nominal picture, drawn
// without anti-aliasing. Learnt by drawing such a dot, so stamping it gives
// the very pixels a shape call would, at a small fraction of the cost of a
// shape call per dot (a dense cloud has hundreds of thousands of dots).
std::vector<wxPoint> LearnDotPattern(double pixelRatio) {
    const int side = static_cast<int>(2 * pixelRatio);
    const int corner = 3 * std::max(1, side / 2);
    const int size = side + 2 * corner;
    std::vector<wxPoint> pixels;
    LayerImage scratch(size, size);
    if (!scratch.IsOk()) {
        return pixels;
    }
    {
        cairo_t* context = cairo_create(scratch.Surface());
        Canvas canvas(context, size, size, 1.0, pixelRatio);
        canvas.FillEllipse(corner, corner, side, side, wxColour(255, 255, 255));
        cairo_destroy(context);
    }
    LayerPixels dot(scratch.Surface());
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if ((dot.Row(y)[x] & 0x00FFFFFFu) != 0) {
                pixels.emplace_back(x - corner, y - corner);
            }
        }
    }
    return pixels;
}

// Learnt once for each ratio; clouds of several pictures may be drawn at once.
const std::vector<wxPoint>& DotPattern(double pixelRatio) {
    static std::mutex guard;
    static std::map<double, std::vector<wxPoint>> patterns;
    std::lock_guard<std::mutex> lock(guard);
    auto found = patterns.find(pixelRatio);
    if (found == patterns.end()) {
        found = patterns.emplace(pixelRatio, LearnDotPattern(pixelRatio)).first;
    }
    return found->second;
}

}  // namespace

void CloudGridDataRenderer::Draw(Canvas& canvas, GridData& data) {
    double maximum = data.GetMaxValue();
    // With no positive maximum a cell's share is undefined or infinite.
    if (!color.IsOk() || !(maximum > 0.0) || !std::isfinite(maximum) || density <= 0) {
        return;
    }
    const PlotRect& view = frame.View();
    double cell = data.GetCellSize();
    const PixelScale scale = frame.GridScale(cell);

    // Strict comparisons: a cell whose corner lies on the view's edge is left out.
    data.SetViewFilter(
        ViewFilter{ViewFilter::InsidePositive, view.xMin, view.yMin, view.xMax, view.yMax});
    std::vector<wxPoint> corners;
    const int pixel = frame.Pixels(1);  // a dot's corner lies this far up and left of its place
    for (data.First(); data.IsValid(); data.Next()) {
        double value = data.GetValue();
        const PixelPoint at = frame.CellCorner(data.GetX(), data.GetY(), cell, scale);
        // Under a class rule of its own, each class a step of dots more.
        long double share = HasOwnClasses() ? static_cast<long double>(density) *
                                                  (classes->ClassOf(value) + 1) / classes->Count()
                                            : static_cast<long double>(value) / maximum * density;
        for (int i = 0; i < density && share > i; ++i) {
            int a = std::rand() % 100;
            int b = std::rand() % 100;
            int dotX = PixelInt((a / 100.0) * cell * scale.x + at.x) - pixel;
            int dotY = PixelInt((b / 100.0) * cell * scale.y + at.y) - pixel;
            corners.emplace_back(dotX, dotY);
        }
    }
    data.Close();
    data.ClearFilter();
    DrawDots(canvas, corners);
}

// Dots are stamped into the pixels of an image; a vector page gets the
// stamped pixels as small squares, which also keeps a dense cloud's file
// as small as its picture.
void CloudGridDataRenderer::DrawDots(Canvas& canvas, const std::vector<wxPoint>& corners) {
    const std::vector<wxPoint>& pattern = DotPattern(frame.PixelRatio());
    if (corners.empty()) {
        return;
    }
    LayerImage page;
    if (!canvas.Image()) {
        page = LayerImage(canvas.Width(), canvas.Height());
    }
    {
        LayerPixels pixels(canvas.Image() ? canvas.Image() : page.Surface());
        if (!pixels.IsOk() || pattern.empty()) {
            for (const wxPoint& corner : corners) {
                canvas.FillEllipse(corner.x, corner.y, frame.Pixels(2), frame.Pixels(2), color);
            }
            return;
        }
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
    }
    if (page.IsOk()) {
        canvas.PutPixels(page);
    }
}
