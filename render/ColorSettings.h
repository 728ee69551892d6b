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

// The colour scale of the value layers at one moment, as a value.
struct ColorScale {
    bool useCustomColors = false;
    wxColour lowColor{0, 0, 255, 255};
    wxColour highColor{255, 0, 0, 255};
    bool smoothGradient = false;
    int colorSteps = 5;
    ColorMap colorMap = ColorMap::None;
};

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
    // Equal: the colours split the range in equal steps.
    ClassRule GetClassRule(RangeFamily family);
    void SetClassRule(RangeFamily family, ClassRule rule);
    // Every field of the scale at once, under one lock.
    ColorScale GetScale();

  private:
    std::mutex mutex;
    bool useCustomColors = false;
    wxColour lowColor{0, 0, 255, 255};
    wxColour highColor{255, 0, 0, 255};
    bool smoothGradient = false;
    int colorSteps = 5;
    ColorMap colorMap = ColorMap::None;
    std::array<std::optional<ValueRange>, kRangeFamilyCount> valueRanges;
    std::array<ClassRule, kRangeFamilyCount> classRules{};
};

// Created at start-up and never destroyed. Only the application, the
// windows and this file's own functions read it; every drawing is handed a
// style made from it.
extern ColorSettings* colorSettings;

struct PictureStyle;
// The style of the process-wide settings, or of the defaults while there are
// none, with trees' colours of its own.
PictureStyle SettingsStyle();

// The five built-in colours, lowest values first.
Palette BuiltInPalette();
// The colours of a change between two plots: losses in blues from the
// largest to the smallest, then gains in reds from the smallest to the
// largest; readable with a colour-vision deficiency, never black.
Palette DivergingPalette();
// The colour at step i of n between low and high.
wxColour InterpolateColor(const wxColour& low, const wxColour& high, int n, int i);
// The palette of a block or isoline layer under the current settings.
Palette BuildPalette(ColorSettings& settings);
Palette BuildPalette(const ColorScale& scale);
// The palette of a single tree's block and level-line layers: the built-in
// scale, unless a colour map is chosen, which the trees follow too.
Palette TreePalette(ColorSettings& settings);
Palette TreePalette(const ColorScale& scale);
// The colour at position t (0 to 1) of a smooth gradient through the
// palette's colours, each channel truncated; never pure black, the
// transparent colour, which becomes (1, 1, 1).
wxColour GradientColor(const Palette& palette, double t);
// A value truncated toward zero to a 32-bit int, bounded so that the
// conversion is defined (NaN gives 0).
int TruncInt(double value);
// The palette index of a value for a data set's minimum and maximum, always
// inside the palette; -1 for an empty palette.
int PaletteIndex(double value, double minimum, double maximum, int paletteSize);
