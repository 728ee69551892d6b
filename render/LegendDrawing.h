// Puts a legend on a drawing context: for each section its title, one solid
// swatch per entry with the entry's text beside it, and its note.
#pragma once

#include <wx/dc.h>

#include <vector>

#include "render/Legend.h"

// The side of a swatch in pixels.
constexpr int kLegendSwatch = 12;

// The size the sections take with the context's current font, margins included.
wxSize MeasureLegend(wxDC& dc, const std::vector<LegendSection>& sections);

// Draws the sections with their top-left corner at origin; text in textColor
// on whatever the context shows there.
void DrawLegend(wxDC& dc, const std::vector<LegendSection>& sections, const wxPoint& origin,
                const wxColour& textColor);

// The legend beside a map in an exported picture: a dark strip at the right
// edge, its width the legend's own, at most half the picture. 0 without sections.
int LegendStripWidth(const std::vector<LegendSection>& sections, int pictureWidth);
// The map with the strip added at its right: a picture as high as the map
// and stripWidth wider; the legend is cut off where the strip ends.
wxBitmap WithLegendStrip(const wxBitmap& map, const std::vector<LegendSection>& sections,
                         int stripWidth);
