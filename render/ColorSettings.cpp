#include "render/ColorSettings.h"

#include <algorithm>
#include <cmath>

#include "render/ColorMaps.h"
#include "render/PictureStyle.h"

ColorSettings* colorSettings = nullptr;

PictureStyle SettingsStyle() {
    ColorSettings defaults;
    return StyleOf(colorSettings ? *colorSettings : defaults);
}

bool ColorSettings::GetUseCustomColors() {
    std::lock_guard<std::mutex> guard(mutex);
    return useCustomColors;
}

void ColorSettings::SetUseCustomColors(bool value) {
    std::lock_guard<std::mutex> guard(mutex);
    useCustomColors = value;
}

wxColour ColorSettings::GetLowColor() {
    std::lock_guard<std::mutex> guard(mutex);
    return lowColor;
}

void ColorSettings::SetLowColor(const wxColour& value) {
    std::lock_guard<std::mutex> guard(mutex);
    lowColor = value;
}

wxColour ColorSettings::GetHighColor() {
    std::lock_guard<std::mutex> guard(mutex);
    return highColor;
}

void ColorSettings::SetHighColor(const wxColour& value) {
    std::lock_guard<std::mutex> guard(mutex);
    highColor = value;
}

bool ColorSettings::GetSmoothGradient() {
    std::lock_guard<std::mutex> guard(mutex);
    return smoothGradient;
}

void ColorSettings::SetSmoothGradient(bool value) {
    std::lock_guard<std::mutex> guard(mutex);
    smoothGradient = value;
}

int ColorSettings::GetColorSteps() {
    std::lock_guard<std::mutex> guard(mutex);
    return colorSteps;
}

void ColorSettings::SetColorSteps(int value) {
    std::lock_guard<std::mutex> guard(mutex);
    colorSteps = value;
}

ColorMap ColorSettings::GetColorMap() {
    std::lock_guard<std::mutex> guard(mutex);
    return colorMap;
}

void ColorSettings::SetColorMap(ColorMap value) {
    std::lock_guard<std::mutex> guard(mutex);
    colorMap = value;
}

std::optional<ValueRange> ColorSettings::GetValueRange(RangeFamily family) {
    std::lock_guard<std::mutex> guard(mutex);
    return valueRanges[static_cast<size_t>(family)];
}

void ColorSettings::SetValueRange(RangeFamily family, const std::optional<ValueRange>& range) {
    std::lock_guard<std::mutex> guard(mutex);
    valueRanges[static_cast<size_t>(family)] = range;
}

ClassRule ColorSettings::GetClassRule(RangeFamily family) {
    std::lock_guard<std::mutex> guard(mutex);
    return classRules[static_cast<size_t>(family)];
}

void ColorSettings::SetClassRule(RangeFamily family, ClassRule rule) {
    std::lock_guard<std::mutex> guard(mutex);
    classRules[static_cast<size_t>(family)] = rule;
}

ColorScale ColorSettings::GetScale() {
    std::lock_guard<std::mutex> guard(mutex);
    return ColorScale{useCustomColors, lowColor, highColor, smoothGradient, colorSteps, colorMap};
}

Palette DivergingPalette() {
    return {wxColour(33, 102, 172),  wxColour(67, 147, 195),  wxColour(146, 197, 222),
            wxColour(209, 229, 240), wxColour(253, 219, 199), wxColour(244, 165, 130),
            wxColour(214, 96, 77),   wxColour(178, 24, 43)};
}

Palette BuiltInPalette() {
    return {wxColour(0, 0, 150), wxColour(0, 150, 100), wxColour(100, 200, 0),
            wxColour(255, 255, 0), wxColour(255, 0, 0)};
}

namespace {

// One channel of an interpolated colour: the division comes first, in long
// double, and the low 8 bits of the truncated value are kept.
unsigned char InterpolateChannel(int low, int high, int n, int i) {
    long double value = static_cast<long double>(high - low) / n;
    value = value * i;
    value = value + low;
    // Far outside a channel's range only the low bits would survive anyway;
    // the bound keeps the conversion defined.
    if (!std::isfinite(static_cast<double>(value)) ||
        std::fabs(static_cast<double>(value)) > 1e15) {
        return 0;
    }
    long long whole = static_cast<long long>(value);
    return static_cast<unsigned char>(whole & 0xFF);
}

}  // namespace

wxColour InterpolateColor(const wxColour& low, const wxColour& high, int n, int i) {
    if (n <= 0) {
        return wxColour(low.Red(), low.Green(), low.Blue(), 255);
    }
    return wxColour(InterpolateChannel(low.Red(), high.Red(), n, i),
                    InterpolateChannel(low.Green(), high.Green(), n, i),
                    InterpolateChannel(low.Blue(), high.Blue(), n, i), 255);
}

Palette BuildPalette(ColorSettings& settings) {
    const ColorMap map = settings.GetColorMap();
    if (map != ColorMap::None) {
        return SampleColorMap(map, settings.GetColorSteps());
    }
    if (!settings.GetUseCustomColors()) {
        return BuiltInPalette();
    }
    Palette palette;
    // Each field is read under its own lock, as the dialog may write meanwhile.
    for (int i = 0; i < settings.GetColorSteps(); ++i) {
        int n = settings.GetColorSteps();
        wxColour high = settings.GetHighColor();
        wxColour low = settings.GetLowColor();
        palette.push_back(InterpolateColor(low, high, n, i));
    }
    return palette;
}

Palette BuildPalette(const ColorScale& scale) {
    if (scale.colorMap != ColorMap::None) {
        return SampleColorMap(scale.colorMap, scale.colorSteps);
    }
    if (!scale.useCustomColors) {
        return BuiltInPalette();
    }
    Palette palette;
    for (int i = 0; i < scale.colorSteps; ++i) {
        palette.push_back(InterpolateColor(scale.lowColor, scale.highColor, scale.colorSteps, i));
    }
    return palette;
}

Palette TreePalette(ColorSettings& settings) {
    return TreePalette(settings.GetScale());
}

Palette TreePalette(const ColorScale& scale) {
    return scale.colorMap == ColorMap::None ? BuiltInPalette()
                                            : SampleColorMap(scale.colorMap, scale.colorSteps);
}

// p = t (n - 1), k = floor(p) (n - 2 at the last colour), each channel
// palette[k] + (palette[k + 1] - palette[k]) (p - k), truncated.
wxColour GradientColor(const Palette& palette, double t) {
    const int n = static_cast<int>(palette.size());
    if (n == 0) {
        return wxColour();
    }
    const double p = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0) * (n - 1);
    const int k = n == 1 ? 0 : std::min(static_cast<int>(std::floor(p)), n - 2);
    const wxColour& low = palette[k];
    const wxColour& high = palette[std::min(k + 1, n - 1)];
    auto channel = [&](int a, int b) { return static_cast<int>(a + (b - a) * (p - k)); };
    const int red = channel(low.Red(), high.Red());
    const int green = channel(low.Green(), high.Green());
    const int blue = channel(low.Blue(), high.Blue());
    if (red == 0 && green == 0 && blue == 0) {
        return wxColour(1, 1, 1);
    }
    return wxColour(red, green, blue);
}

int TruncInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return 2147483647;
    }
    if (value <= -2147483648.0) {
        return -2147483647 - 1;
    }
    return static_cast<int>(value);
}

int PaletteIndex(double value, double minimum, double maximum, int paletteSize) {
    if (paletteSize <= 0) {
        return -1;
    }
    int n = paletteSize;
    int minI = TruncInt(minimum);
    int rangeI = TruncInt(maximum - minI);
    double index;
    if (rangeI != 0) {
        index = ((value - minI) * n) / rangeI;
    } else {
        // Data in small units would all fall into one truncated step: use
        // the real range, and when every value is equal show them as the
        // maximum.
        double range = maximum - minimum;
        if (!(range > 0.0) || !std::isfinite(range)) {
            return n - 1;
        }
        index = ((value - minimum) * n) / range;
    }
    if (!(index >= 0.0)) {
        return 0;
    }
    if (index >= n) {
        return n - 1;
    }
    return static_cast<int>(index);
}
