// The process-wide colour settings of the value layers and the palettes built from them.
#pragma once

#include <wx/colour.h>

#include <array>
#include <mutex>
#include <optional>
#include <vector>

#include "render/ValueRange.h"

using Palette = std::vector<wxColour>;

// A published colour map used instead of the built-in or the custom scale.
enum class ColorMap { None, Viridis, Cividis };

class ColorSettings {
  public:
    bool GetUseCustomColors();
    void SetUseCustomColors(bool value);
    wxColour GetLowColor();
    void SetLowColor(const wxColour& value);
    wxColour GetHighColor();
    void SetHighColor(const wxColour& value);
    bool GetSmoothGradient();
    void SetSmoothGradient(bool value);
    int GetColorSteps();
    void SetColorSteps(int value);
    ColorMap GetColorMap();
    void SetColorMap(ColorMap value);
    // None: the colours span the data set's own minimum and maximum.
    std::optional<ValueRange> GetValueRange(RangeFamily family);
    void SetValueRange(RangeFamily family, const std::optional<ValueRange>& range);

  private:
    std::mutex mutex;
    bool useCustomColors = false;
    wxColour lowColor{0, 0, 255, 255};
    wxColour highColor{255, 0, 0, 255};
    bool smoothGradient = false;
    int colorSteps = 5;
    ColorMap colorMap = ColorMap::None;
    std::array<std::optional<ValueRange>, kRangeFamilyCount> valueRanges;
};

// Created at start-up and never destroyed.
extern ColorSettings* colorSettings;

// The five built-in colours, lowest values first.
Palette BuiltInPalette();
// The colour at step i of n between low and high.
wxColour InterpolateColor(const wxColour& low, const wxColour& high, int n, int i);
// The palette of a block or isoline layer under the current settings.
Palette BuildPalette(ColorSettings& settings);
// The palette of a single tree's block and level-line layers: the built-in
// scale, unless a colour map is chosen, which the trees follow too.
Palette TreePalette(ColorSettings& settings);
// A value truncated toward zero to a 32-bit int, bounded so that the
// conversion is defined (NaN gives 0).
int TruncInt(double value);
// The palette index of a value for a data set's minimum and maximum, always
// inside the palette; -1 for an empty palette.
int PaletteIndex(double value, double minimum, double maximum, int paletteSize);
