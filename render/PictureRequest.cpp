#include "render/PictureRequest.h"

#include "render/ColorSettings.h"

void ApplyPaletteOption(PaletteOption palette, ColorSettings& settings) {
    switch (palette) {
        case PaletteOption::Unset:
            return;
        case PaletteOption::BuiltIn:
            settings.SetColorMap(ColorMap::None);
            settings.SetUseCustomColors(false);
            return;
        case PaletteOption::Viridis:
            settings.SetColorMap(ColorMap::Viridis);
            return;
        case PaletteOption::Cividis:
            settings.SetColorMap(ColorMap::Cividis);
            return;
    }
}

void TakeColorOptions(ColorSettings& settings, PictureRequest& request) {
    switch (settings.GetColorMap()) {
        case ColorMap::Viridis:
            request.palette = PaletteOption::Viridis;
            break;
        case ColorMap::Cividis:
            request.palette = PaletteOption::Cividis;
            break;
        case ColorMap::None:
            request.palette = PaletteOption::Unset;
            break;
    }
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        request.ranges[family] = settings.GetValueRange(static_cast<RangeFamily>(family));
        const ClassRule rule = settings.GetClassRule(static_cast<RangeFamily>(family));
        request.classes[family] =
            rule == ClassRule::Equal ? std::nullopt : std::optional<ClassRule>(rule);
    }
    request.smooth = settings.GetSmoothGradient();
}

PictureStyle RequestStyle(const PictureRequest& request) {
    ColorSettings settings;
    ApplyPaletteOption(request.palette, settings);
    ApplyRangeOptions(request, settings);
    PictureStyle style = StyleOf(settings);
    style.pixelRatio = request.scale;
    return style;
}

void ApplyRangeOptions(const PictureRequest& request, ColorSettings& settings) {
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        if (request.ranges[family]) {
            settings.SetValueRange(static_cast<RangeFamily>(family), request.ranges[family]);
        }
        if (request.classes[family]) {
            settings.SetClassRule(static_cast<RangeFamily>(family), *request.classes[family]);
        }
    }
    if (request.smooth) {
        settings.SetSmoothGradient(true);
    }
}
