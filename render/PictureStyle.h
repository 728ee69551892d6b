// How a picture looks, apart from what it shows: the colour scale, the fixed
// value ranges, the size of text and of the marks given in pixels, and the
// trees' colours. Every drawing is handed one as a value, so that the window,
// a PNG and a figure drawn alike cannot disagree, and drawing one picture
// changes nothing another will draw.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

#include <array>
#include <memory>
#include <optional>

#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "render/TreeColors.h"
#include "render/ValueRange.h"

struct PictureStyle {
    ColorScale colors;
    // A fixed range for each family (RangeFamily order); none spans the data.
    std::array<std::optional<ValueRange>, kRangeFamilyCount> ranges;
    // How each family's values fall into the palette's classes.
    std::array<ClassRule, kRangeFamilyCount> classRules{};
    // Text is drawn this many times its size in points at 96 dots per inch.
    double textScale = 1.0;
    // Pixels of the picture for each pixel of its nominal size (a screen's
    // scale factor, --scale): text, lines, dots and ticks grow with it, so the
    // picture looks the same, only sharper.
    double pixelRatio = 1.0;
    // Shared with whoever keeps the trees' colours: the window's plot, one
    // export. Never null in a style made by the functions below.
    std::shared_ptr<TreeColors> treeColors;

    // The palette of a value layer of the group.
    Palette ValuePalette(LayerGroup group) const;
    // The palette of the layer: a change's own, or its group's.
    Palette PaletteOf(const LayerDef& layer) const;
    // The fixed range of the layer's family, if any.
    std::optional<ValueRange> RangeOf(const LayerDef& layer) const;
    ClassRule ClassRuleOf(const LayerDef& layer) const;
    // Whether a value layer's colours need the classes of its values (a
    // rule other than equal steps, or a smooth gradient).
    bool NeedsClasses(const LayerDef& layer) const;
    // The tree's colour, made up at its first need.
    wxColour TreeColor(const wxString& tree) const;
};

// The settings' scale and ranges, with trees' colours of its own.
PictureStyle StyleOf(ColorSettings& settings);
