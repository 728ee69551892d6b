#include "render/ViewNavigator.h"

#include <algorithm>
#include <cmath>

namespace {

// One notch takes a fifth off the view's width and height.
constexpr double kZoomInFactor = 0.8;
// The zoom control's step: a quarter of the full extent.
constexpr double kStepFraction = 0.25;

bool SameRect(const PlotRect& a, const PlotRect& b) {
    return a.xMin == b.xMin && a.yMin == b.yMin && a.xMax == b.xMax && a.yMax == b.yMax;
}

// The view scaled by factor about the point at (fx, fy) of it.
PlotRect ScaledAbout(const PlotRect& view, double factor, double fx, double fy) {
    const double x = view.xMin + fx * view.Width();
    const double y = view.yMin + fy * view.Height();
    const double width = view.Width() * factor;
    const double height = view.Height() * factor;
    const double xMin = x - fx * width;
    const double yMin = y - fy * height;
    return {xMin, yMin, xMin + width, yMin + height};
}

}  // namespace

void ViewNavigator::Reset(const PlotRect& extent, double span) {
    fullExtent = extent;
    minimumSpan = span;
    returns.clear();
}

bool ViewNavigator::Zoom(PlotRect& view, bool in, double fx, double fy) {
    const PlotRect before = view;
    if (in) {
        if (!ZoomIn(view, fx, fy)) {
            return false;
        }
        Remember(before, view, fx, fy, false);
        return true;
    }
    return Undo(view, fx, fy, false) || ZoomOut(view, fx, fy);
}

bool ViewNavigator::Step(PlotRect& view, bool in) {
    const PlotRect before = view;
    if (in) {
        if (!StepIn(view)) {
            return false;
        }
        Remember(before, view, 0.5, 0.5, true);
        return true;
    }
    return Undo(view, 0.5, 0.5, true) || StepOut(view);
}

bool ViewNavigator::ZoomIn(PlotRect& view, double fx, double fy) const {
    const double shorter = std::min(view.Width(), view.Height());
    // Written so that a view without area (or with NaN in it) goes no further.
    if (!(shorter > minimumSpan)) {
        return false;
    }
    const double factor = std::max(kZoomInFactor, minimumSpan / shorter);
    view = ScaledAbout(view, factor, fx, fy);
    return true;
}

bool ViewNavigator::ZoomOut(PlotRect& view, double fx, double fy) {
    return WidenTo(view, ScaledAbout(view, 1.0 / kZoomInFactor, fx, fy));
}

bool ViewNavigator::StepIn(PlotRect& view) const {
    const double dx = kStepFraction * fullExtent.Width() / 2;
    const double dy = kStepFraction * fullExtent.Height() / 2;
    const PlotRect narrower{view.xMin + dx, view.yMin + dy, view.xMax - dx, view.yMax - dy};
    // The control's four levels bound its steps; a step that would turn the
    // view inside out (from a view zoomed by other means) is not taken.
    if (!(narrower.Width() > 0 && narrower.Height() > 0)) {
        return false;
    }
    view = narrower;
    return true;
}

bool ViewNavigator::StepOut(PlotRect& view) {
    const double dx = kStepFraction * fullExtent.Width() / 2;
    const double dy = kStepFraction * fullExtent.Height() / 2;
    return WidenTo(view, {view.xMin - dx, view.yMin - dy, view.xMax + dx, view.yMax + dy});
}

// Zooming out stops at the full extent: a view that would reach it becomes it.
bool ViewNavigator::WidenTo(PlotRect& view, const PlotRect& wider) {
    if (!(view.Width() < fullExtent.Width() || view.Height() < fullExtent.Height())) {
        return false;
    }
    const bool tooWide =
        wider.Width() >= fullExtent.Width() || wider.Height() >= fullExtent.Height();
    view = tooWide ? fullExtent : wider;
    returns.clear();
    return true;
}

// Zooming out about the point of the last zoom in, from the view it made,
// goes back to the view before it, bit for bit.
bool ViewNavigator::Undo(PlotRect& view, double fx, double fy, bool step) {
    if (returns.empty()) {
        return false;
    }
    const Return& last = returns.back();
    if (!SameRect(last.after, view) || last.fx != fx || last.fy != fy || last.step != step) {
        return false;
    }
    view = last.before;
    returns.pop_back();
    return true;
}

void ViewNavigator::Remember(const PlotRect& before, const PlotRect& after, double fx, double fy,
                             bool step) {
    // What came before a view that was left some other way cannot be returned to.
    if (!returns.empty() && !SameRect(returns.back().after, before)) {
        returns.clear();
    }
    returns.push_back({before, after, fx, fy, step});
}

PlotRect ViewNavigator::Pan(const PlotRect& view, double fx, double fy) {
    const double dx = fx * view.Width();
    const double dy = fy * view.Height();
    return {view.xMin + dx, view.yMin + dy, view.xMax + dx, view.yMax + dy};
}

double ViewNavigator::PixelFraction(int pixel, int pixels) {
    return pixels > 0 ? (pixel + 0.5) / pixels : 0.5;
}

int ViewNavigator::NearestLevel(const PlotRect& view, int levels) const {
    const double taken = 1.0 - view.Width() / fullExtent.Width();
    const double level = 1.0 + std::round(taken / kStepFraction);
    if (!std::isfinite(level)) {
        return 1;
    }
    return int(std::clamp(level, 1.0, double(levels)));
}
