// The mapping between plot coordinates and the pixels of the map.
#pragma once

#include "data/PlotRect.h"

// Plot units per viewer pixel along one axis, held in single precision.
float UnitsPerPixel(double span, int pixels);

// The plot point under a viewer pixel, for clicks.
void PixelToPlot(const PlotRect& view, int viewerWidth, int viewerHeight, int px, int py, double& x,
                 double& y);

// The view moved so that the picture follows a drag of (dx, dy) pixels.
PlotRect PannedView(const PlotRect& view, int viewerWidth, int viewerHeight, int dx, int dy);

// A computed pixel position or size as an int, truncated toward zero and
// clamped to what the toolkit can draw (NaN gives 0).
int PixelInt(double value);
