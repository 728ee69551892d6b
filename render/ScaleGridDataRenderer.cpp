#include "render/ScaleGridDataRenderer.h"

#include <cmath>

#include "data/GridData.h"

namespace {

// Far more ticks than any bitmap shows; only a guard for absurd views.
constexpr int kMaxTicks = 100000;

bool InFiveToTen(double intervals) {
    return intervals >= 5.0 && intervals <= 10.0;
}

}  // namespace

double ScaleGridDataRenderer::TickSpacing(double range) {
    if (!(range > 0.0) || !std::isfinite(range)) {
        return 0.0;
    }
    double u = 1.0;
    // Each pass moves u one power of ten toward the range, so a few hundred
    // passes reach any finite double; the bound only stops a runaway for
    // ranges at the very ends of the floating-point scale.
    for (int pass = 0; pass < 2000; ++pass) {
        if (InFiveToTen(range / (5 * u))) {
            return 5 * u;
        }
        if (InFiveToTen(range / (2 * u))) {
            return 2 * u;
        }
        if (InFiveToTen(range / u)) {
            return u;
        }
        if (range / (5 * u) > 10) {
            u = u * 10;
        } else if (range / u < 5) {
            u = u / 10;
        } else {
            // Between 20 and 25 units no step gives five to ten intervals;
            // 5u gives four and a bit.
            return 5 * u;
        }
    }
    return 0.0;
}

void ScaleGridDataRenderer::Draw(Canvas& canvas, GridData* data) {
    const PlotRect& view = frame.View();
    double spacing = TickSpacing(view.xMax - view.xMin);
    if (!color.IsOk() || !(spacing > 0.0)) {
        return;
    }
    double cell = data != nullptr ? data->GetCellSize() : 1.0;
    const PixelScale scale = frame.GridScale(cell);
    const TextFont font{12};
    // The ticks stand on the top and left edges of the mapped box.
    const int top = PixelInt(scale.top);
    const int left = PixelInt(scale.left);
    const int tick = frame.Pixels(5);
    const int gap = frame.Pixels(6);  // between a tick's root and its text

    // A tick past the bitmap's far edge, and every one after it, is out of
    // sight; stopping there also bounds a y axis far longer than the x axis.
    double t = std::ceil(view.xMin / spacing) * spacing;
    for (int count = 0; view.xMax > t && count < kMaxTicks; ++count) {
        double x = frame.ToPixel(t, view.yMin, scale).x;
        if (x > frame.Width()) {
            break;
        }
        int px = PixelInt(x);
        canvas.Line(px, top, px, top + tick, color);
        canvas.Text(wxString::Format("%g", t), px, top + gap, font, color);
        double next = t + spacing;
        if (next == t) {
            break;  // the spacing is lost in t's precision
        }
        t = next;
    }
    t = std::ceil(view.yMin / spacing) * spacing;
    for (int count = 0; view.yMax > t && count < kMaxTicks; ++count) {
        double y = frame.ToPixel(view.xMin, t, scale).y;
        if (y > frame.Height() || (scale.flipped && y < 0.0)) {
            break;  // north up, the ticks climb toward the top row
        }
        int py = PixelInt(y);
        canvas.Line(left, py, left + tick, py, color);
        canvas.Text(wxString::Format("%g", t), left + gap, py, font, color);
        double next = t + spacing;
        if (next == t) {
            break;
        }
        t = next;
    }
}
