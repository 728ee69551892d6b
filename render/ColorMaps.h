// Published colour maps that stay readable with a colour-vision deficiency
// and whose lightness grows evenly from the lowest value to the highest.
#pragma once

#include <wx/colour.h>

#include "render/ColorSettings.h"

constexpr int kColorMapSize = 256;

// Entry index (0 to 255) of a map, opaque; invalid for ColorMap::None or an
// index outside the table.
wxColour ColorMapEntry(ColorMap map, int index);
// The table entry that sample i of steps takes: evenly spaced from the first
// entry to the last (a single step takes the first).
int ColorMapSampleIndex(int i, int steps);
// steps colours sampled evenly from the map, lowest first; empty for
// ColorMap::None or fewer than one step.
Palette SampleColorMap(ColorMap map, int steps);
