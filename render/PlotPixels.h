// The mapping between plot coordinates and the pixels of the map.
#pragma once

#include "data/PlotRect.h"
#include "render/PlotFrame.h"

// Plot units per viewer pixel along one axis, held in single precision.
float UnitsPerPixel(double span, int pixels);

// The plot point under a viewer pixel, for clicks.
void PixelToPlot(const PlotRect& view, int viewerWidth, int viewerHeight, int px, int py, double& x,
                 double& y);

// The view moved so that the picture follows a drag of (dx, dy) pixels.
PlotRect PannedView(const PlotRect& view, int viewerWidth, int viewerHeight, int dx, int dy);

// The same for a frame of any shape: a plain frame maps as above, a shaped
// one through its own scale and margins.
void PixelToPlot(const PlotFrame& frame, int px, int py, double& x, double& y);
PlotRect PannedView(const PlotFrame& frame, int dx, int dy);
// The fractions of the view's width and height, from its smallest x and y,
// of the plot point in the middle of a pixel; kept inside the view.
void PixelFractions(const PlotFrame& frame, int px, int py, double& fx, double& fy);

// A computed pixel position or size as an int, truncated toward zero and
// clamped to what the toolkit can draw (NaN gives 0).
int PixelInt(double value);
