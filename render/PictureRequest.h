// What a picture of a plot is asked to show, however it was asked: the
// export's options, or the window's start options.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/PlotRect.h"
#include "render/LayerTable.h"
#include "render/PictureStyle.h"
#include "render/PlotFrame.h"
#include "render/ValueRange.h"

class ColorSettings;

// A colour scale named by --palette; Unset keeps the settings' default.
enum class PaletteOption { Unset, BuiltIn, Viridis, Cividis };

struct PictureRequest {
    int width = 750;
    int height = 550;
    std::vector<const LayerDef*> layers;  // as given, without repeats
    std::vector<std::string> stems;       // UTF-8 labels as given, without repeats
    std::string groupBy;                  // the stem column that groups the trees; empty: none
    std::vector<std::string> groups;      // the groups to draw the group layers of, as given
    std::optional<PlotRect> view;         // the whole plot when none is given
    PaletteOption palette = PaletteOption::Unset;
    // --range of each family (RangeFamily order); none keeps the settings'.
    std::array<std::optional<ValueRange>, kRangeFamilyCount> ranges;
    // --range FAMILY=common: the range spans the values of every plot drawn.
    std::array<bool, kRangeFamilyCount> commonRanges{};
    // --classes of each family; none keeps the settings'.
    std::array<std::optional<ClassRule>, kRangeFamilyCount> classes;
    bool smooth = false;  // --smooth: a smooth gradient along the palette
    FrameShape shape;     // --aspect equal and --north-up
    bool legend = false;  // draw the colour legend beside the map
    // --scale: pixels of the picture for each pixel of its size, as a screen
    // with that scale factor shows the map.
    int scale = 1;
    // --compare: the plot whose changes from this one the change layers draw.
    std::string comparePath;
};

// The largest --scale.
constexpr int kMaxPictureScale = 8;

// Makes the settings use the colour scale a palette option names.
void ApplyPaletteOption(PaletteOption palette, ColorSettings& settings);
// Gives the settings the fixed value ranges, class rules and gradient the
// request names.
void ApplyRangeOptions(const PictureRequest& request, ColorSettings& settings);
// The reverse: the palette option and ranges that give the settings' colours
// (custom colours have no option and leave the palette unset).
void TakeColorOptions(ColorSettings& settings, PictureRequest& request);
// The style of the picture the request asks for: the default colour scale
// with the request's palette and ranges, at its scale, with trees' colours
// of its own.
PictureStyle RequestStyle(const PictureRequest& request);
