// The one mapping from plot coordinates to the pixels of a picture: the view
// of the plot, the pixel size it is drawn at and the shape of the fit. Every
// renderer is built from a frame and places what it draws through it, so a
// new way of fitting the plot into the picture is written here once.
#pragma once

#include "data/PlotRect.h"

// How the view is fitted into the picture. By default x and y are stretched
// apart to fill it and plot y grows downward.
struct FrameShape {
    // One plot unit has the same length on both axes; the view is centred
    // and the margins are left as the background.
    bool trueProportions = false;
    // Plot y grows upward, as on a map.
    bool northUp = false;

    bool IsPlain() const { return !trueProportions && !northUp; }
    bool operator==(const FrameShape& other) const {
        return trueProportions == other.trueProportions && northUp == other.northUp;
    }
};

// Pixels per plot unit along each axis, and where the mapped box lies.
struct PixelScale {
    double x = 0.0;
    double y = 0.0;
    double left = 0.0;     // the box's left edge in pixels
    double top = 0.0;      // its top edge in pixels
    double originX = 0.0;  // the plot x at the left edge
    double originY = 0.0;  // the plot y at the top edge
    bool flipped = false;  // plot y grows upward
};

// A position in pixels, not yet truncated.
struct PixelPoint {
    double x = 0.0;
    double y = 0.0;
};

class PlotFrame {
  public:
    PlotFrame() = default;
    // pixelRatio: pixels of the picture for each pixel of its nominal size;
    // the marks whose size is given in pixels grow with it.
    PlotFrame(const PlotRect& view, int width, int height, FrameShape shape = FrameShape(),
              double pixelRatio = 1.0)
        : view(view), width(width), height(height), shape(shape), pixelRatio(pixelRatio) {}

    const PlotRect& View() const { return view; }
    int Width() const { return width; }
    int Height() const { return height; }
    const FrameShape& Shape() const { return shape; }
    double PixelRatio() const { return pixelRatio; }
    // A size given in pixels of the nominal picture, in this frame's pixels.
    int Pixels(int nominal) const { return static_cast<int>(nominal * pixelRatio); }

    // Grid layers add one cell to the view's extent, so that the cell whose
    // corner lies on the view's far edge still fits.
    PixelScale GridScale(double cell) const { return Fit(cell); }
    // Stem layers map the view alone onto the picture; a view without width
    // or height gives an infinite scale.
    PixelScale StemScale() const { return Fit(0.0); }
    // The pixel of a plot point. Unflipped, pixel y grows with plot y: the
    // view's smallest y is the top row.
    PixelPoint ToPixel(double x, double y, const PixelScale& scale) const {
        const double dy = scale.flipped ? scale.originY - y : y - scale.originY;
        return {scale.left + (x - scale.originX) * scale.x, scale.top + dy * scale.y};
    }
    // The top-left pixel of the grid cell with corner (x, y): flipped, its
    // top edge is the cell's far side.
    PixelPoint CellCorner(double x, double y, double cell, const PixelScale& scale) const {
        return ToPixel(x, scale.flipped ? y + cell : y, scale);
    }
    // The plot point of a pixel position (stem scale), for a shaped frame.
    void ToPlot(double px, double py, double& x, double& y) const;

  private:
    PixelScale Fit(double cell) const;

    PlotRect view;
    int width = 0;
    int height = 0;
    FrameShape shape;
    double pixelRatio = 1.0;
};
