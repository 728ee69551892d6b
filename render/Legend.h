// What the colours of the value layers stand for: for each palette entry the
// values that pick it under the rule the renderers apply, and for a cloud
// what one dot stands for. Pure logic; LegendDrawing puts it on a picture.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "render/PictureStyle.h"

class PlotFile;
class PlotPainter;
class RenderHelper;

struct LegendEntry {
    wxColour color;
    wxString text;
    // The values of the data that pick this colour: low <= v < high, or
    // low <= v <= high when closed. Nothing picks it when empty.
    bool empty = false;
    double low = 0.0;
    double high = 0.0;
    bool closed = false;
};

// A bar of the colours of a smooth gradient, lowest at the left, with the
// values at some places along it.
struct LegendBar {
    Palette palette;
    struct Tick {
        double position;  // 0 to 1 along the bar
        wxString text;
        bool operator==(const Tick& other) const {
            return position == other.position && text == other.text;
        }
    };
    std::vector<Tick> ticks;
    bool operator==(const LegendBar& other) const {
        return palette == other.palette && ticks == other.ticks;
    }
};

struct LegendSection {
    wxString title;
    std::vector<LegendEntry> entries;
    wxString note;                 // a line under the swatches; may be empty
    std::optional<LegendBar> bar;  // in place of swatches, for a smooth gradient
};

// One entry per palette colour: the part of [minimum, maximum] whose values
// pick it. pick must not decrease as the value grows. With wholeNumbers the
// data hold whole numbers only and the entries list those.
std::vector<LegendEntry> RangeEntries(const Palette& palette, double minimum, double maximum,
                                      const std::function<int(double)>& pick, bool wholeNumbers);

// The entries of a block layer and of a level-line layer over a data set's range.
std::vector<LegendEntry> BlockEntries(const Palette& palette, double minimum, double maximum,
                                      bool wholeNumbers);
std::vector<LegendEntry> IsolineEntries(const Palette& palette, double minimum, double maximum,
                                        bool wholeNumbers);

// The entries of a block or level-line layer on a fixed range: the n
// colours split it at b1 .. bn-1, and the two end entries are open, "≤ b1"
// and "≥ bn-1", as every value beyond the range takes the end colours.
std::vector<LegendEntry> FixedRangeEntries(const Palette& palette, const ValueRange& range);

// The most trees or groups a dominant layer's legend names; the rest share
// one entry.
constexpr size_t kMostDominantEntries = 12;

// The legend of the given layers of the painter's plot, bottom first (by
// position), in the given style; a tree layer gets one section per tree, in
// order, and a group layer one per group. A tree's colour is asked of the
// style, which makes one up for a tree never drawn before; so ask after the
// layers were drawn, or without tree colours (their swatches are then left
// unset) to learn the legend's size beforehand.
std::vector<LegendSection> BuildLegend(PlotPainter& painter,
                                       const std::vector<const LayerDef*>& layers,
                                       const std::vector<wxString>& trees,
                                       const PictureStyle& style, bool withTreeColors = true,
                                       const std::vector<wxString>& groups = {});
// The same under the given settings, with the helper's trees' colours.
std::vector<LegendSection> BuildLegend(RenderHelper& helper,
                                       const std::vector<const LayerDef*>& layers,
                                       const std::vector<wxString>& trees, ColorSettings& settings,
                                       bool withTreeColors = true);
