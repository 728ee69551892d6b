// Puts a legend on a picture or a window: for each section its title, one
// solid swatch per entry with the entry's text beside it, and its note. The
// layout is written once, over what the target measures and draws.
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <vector>

#include "render/Legend.h"

class Canvas;

// The side of a swatch in pixels.
constexpr int kLegendSwatch = 12;

// What a legend is drawn on, in its own font and text colour.
class LegendTarget {
  public:
    virtual ~LegendTarget() = default;
    virtual wxSize TextSize(const wxString& text) = 0;
    // The height of a line of text.
    virtual int CharHeight() = 0;
    virtual void DrawText(const wxString& text, int x, int y) = 0;
    virtual void DrawSwatch(int x, int y, int side, const wxColour& color) = 0;
    // A solid box; a target that draws no gradient bars may leave it out.
    virtual void DrawBox(int /*x*/, int /*y*/, int /*w*/, int /*h*/, const wxColour& /*color*/) {}
};

// The width of a gradient bar in pixels.
constexpr int kLegendBarWidth = 120;

// The size the sections take, margins included. With a wrap width, titles
// and notes wider than it (less the margins) are broken at spaces onto more
// lines, so that they fit instead of being cut.
wxSize MeasureLegend(LegendTarget& target, const std::vector<LegendSection>& sections,
                     int wrapWidth = 0);

// Draws the sections with their top-left corner at origin, on whatever the
// target shows there, wrapped as MeasureLegend wraps them.
void DrawLegend(LegendTarget& target, const std::vector<LegendSection>& sections,
                const wxPoint& origin, int wrapWidth = 0);

// The legend beside a map in an exported picture: a dark strip at the right
// edge, its width the legend's own, at most half the picture. 0 without sections.
int LegendStripWidth(const std::vector<LegendSection>& sections, int pictureWidth);
// Draws the strip of stripWidth right of a map mapWidth wide, as high as the
// canvas; the legend is cut off where the strip ends. With a pixel ratio the
// widths are those of the nominal picture, and the strip is drawn that many
// times larger.
void DrawLegendStrip(Canvas& canvas, const std::vector<LegendSection>& sections, int mapWidth,
                     int stripWidth, double pixelRatio = 1.0);
