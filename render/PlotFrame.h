// The one mapping from plot coordinates to the pixels of a picture: the view
// of the plot and the pixel size it is drawn at. Every renderer is built from
// a frame and places what it draws through it, so a new way of fitting the
// plot into the picture is written here once.
#pragma once

#include "data/PlotRect.h"

// Pixels per plot unit along each axis.
struct PixelScale {
    double x = 0.0;
    double y = 0.0;
};

// A position in pixels, not yet truncated.
struct PixelPoint {
    double x = 0.0;
    double y = 0.0;
};

class PlotFrame {
  public:
    PlotFrame() = default;
    PlotFrame(const PlotRect& view, int width, int height)
        : view(view), width(width), height(height) {}

    const PlotRect& View() const { return view; }
    int Width() const { return width; }
    int Height() const { return height; }

    // Grid layers add one cell to the view's extent, so that the cell whose
    // corner lies on the view's far edge still fits.
    PixelScale GridScale(double cell) const {
        return {width / (view.Width() + cell), height / (view.Height() + cell)};
    }
    // Stem layers map the view alone onto the picture; a view without width
    // or height gives an infinite scale.
    PixelScale StemScale() const { return {width / view.Width(), height / view.Height()}; }
    // Pixel y grows with plot y: the view's smallest y is the top row.
    PixelPoint ToPixel(double x, double y, const PixelScale& scale) const {
        return {(x - view.xMin) * scale.x, (y - view.yMin) * scale.y};
    }

  private:
    PlotRect view;
    int width = 0;
    int height = 0;
};
