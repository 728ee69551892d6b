// The view arithmetic of the map: zoom about a point, the zoom control's
// steps, panning, and the limits that keep a zoomed view between a few grid
// cells across and the plot's full extent. Zooming back out the way one came
// in returns exactly to the earlier views, so the picture is the same.
#pragma once

#include <vector>

#include "data/PlotRect.h"

class ViewNavigator {
  public:
    // Zooming never takes a view wider than the full extent, nor (by wheel
    // or keys) narrower than minimumSpan plot units on its shorter side.
    // Forgets the way back.
    void Reset(const PlotRect& fullExtent, double minimumSpan);

    // One wheel notch or zoom key about the point that lies at the fractions
    // (fx, fy) of the view's width and height from its top left corner; that
    // point stays where it is. False, and the view unchanged, at a limit.
    bool Zoom(PlotRect& view, bool in, double fx, double fy);
    // One step of the zoom control: a quarter of the full extent's width and
    // height, about the view's centre.
    bool Step(PlotRect& view, bool in);

    // The view moved by fractions of its own width and height (positive
    // shows what lies right of or below it).
    static PlotRect Pan(const PlotRect& view, double fx, double fy);
    // The fraction of a span of pixels at the middle of one of them, so that
    // the plot point found there maps back into the same pixel.
    static double PixelFraction(int pixel, int pixels);

    // The zoom control's level nearest the view: 1 at the full extent, one
    // more for each quarter of it taken off, the last beyond that.
    int NearestLevel(const PlotRect& view, int levels) const;

  private:
    // A zoom in, remembered so that the matching zoom out undoes it exactly.
    struct Return {
        PlotRect before;
        PlotRect after;
        double fx;
        double fy;
        bool step;
    };

    bool ZoomIn(PlotRect& view, double fx, double fy) const;
    bool ZoomOut(PlotRect& view, double fx, double fy);
    bool StepIn(PlotRect& view) const;
    bool StepOut(PlotRect& view);
    bool WidenTo(PlotRect& view, const PlotRect& wider);
    bool Undo(PlotRect& view, double fx, double fy, bool step);
    void Remember(const PlotRect& before, const PlotRect& after, double fx, double fy, bool step);

    PlotRect fullExtent;
    double minimumSpan = 0.0;
    std::vector<Return> returns;
};
