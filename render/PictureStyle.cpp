#include "render/PictureStyle.h"

Palette PictureStyle::ValuePalette(LayerGroup group) const {
    // A tree's (or a group's) own uptake keeps the built-in scale unless a
    // colour map is chosen.
    return group != LayerGroup::Plot ? TreePalette(colors) : BuildPalette(colors);
}

Palette PictureStyle::PaletteOf(const LayerDef& layer) const {
    return IsChangeLayer(layer) ? DivergingPalette() : ValuePalette(layer.group);
}

std::optional<ValueRange> PictureStyle::RangeOf(const LayerDef& layer) const {
    const std::optional<RangeFamily> family = LayerRangeFamily(layer);
    return family ? ranges[static_cast<size_t>(*family)] : std::nullopt;
}

ClassRule PictureStyle::ClassRuleOf(const LayerDef& layer) const {
    const std::optional<RangeFamily> family = LayerRangeFamily(layer);
    return family ? classRules[static_cast<size_t>(*family)] : ClassRule::Equal;
}

bool PictureStyle::NeedsClasses(const LayerDef& layer) const {
    return ClassRuleOf(layer) != ClassRule::Equal || colors.smoothGradient || IsChangeLayer(layer);
}

wxColour PictureStyle::TreeColor(const wxString& tree) const {
    return treeColors ? treeColors->Get(tree) : wxColour();
}

PictureStyle StyleOf(ColorSettings& settings) {
    PictureStyle style;
    style.colors = settings.GetScale();
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        style.ranges[family] = settings.GetValueRange(static_cast<RangeFamily>(family));
        style.classRules[family] = settings.GetClassRule(static_cast<RangeFamily>(family));
    }
    style.treeColors = std::make_shared<TreeColors>();
    return style;
}
