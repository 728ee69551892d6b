// A rectangle in plot coordinates: the units of x_coord, y_coord, Xrot0 and Yrot0.
#pragma once

struct PlotRect {
    double xMin = 0.0;
    double yMin = 0.0;
    double xMax = 0.0;
    double yMax = 0.0;

    double Width() const { return xMax - xMin; }
    double Height() const { return yMax - yMin; }
};
