#include "render/Legend.h"

#include <wx/filename.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "base/Text.h"
#include "data/PlotComparison.h"
#include "render/CloudGridDataRenderer.h"
#include "render/IsolineGridDataRenderer.h"
#include "render/PlotPainter.h"
#include "render/RenderHelper.h"
#include "render/ValueClasses.h"

namespace {

const wxString kDash = wxString::FromUTF8("\xE2\x80\x93");
const wxString kAtMost = wxString::FromUTF8("\xE2\x89\xA4");
const wxString kAtLeast = wxString::FromUTF8("\xE2\x89\xA5");

wxString Number(double value) {
    return wxString::Format("%g", value);
}

// The smallest value in (below, atOrAbove] that picks at least entry k,
// knowing that below picks less and atOrAbove picks k or more.
double FirstPicking(const std::function<int(double)>& pick, int k, double below, double atOrAbove) {
    for (int step = 0; step < 2100; ++step) {
        const double middle = below + (atOrAbove - below) / 2;
        if (!(middle > below) || !(middle < atOrAbove)) {
            break;  // the two are neighbouring doubles
        }
        (pick(middle) >= k ? atOrAbove : below) = middle;
    }
    return atOrAbove;
}

void DescribeReal(LegendEntry& entry) {
    if (entry.empty) {
        entry.text = "no values";
    } else if (entry.low == entry.high) {
        entry.text = Number(entry.low);
    } else {
        entry.text = Number(entry.low) + " " + kDash + " " + Number(entry.high);
    }
}

// Only whole numbers occur: the entry lists the first and last of its own.
void DescribeWhole(LegendEntry& entry) {
    const double first = std::ceil(entry.low);
    double last = entry.closed ? std::floor(entry.high) : std::ceil(entry.high) - 1;
    if (entry.empty || last < first) {
        entry.empty = true;
        entry.text = "no values";
        return;
    }
    entry.low = first;
    entry.high = last;
    entry.closed = true;
    entry.text = first == last ? Number(first) : Number(first) + " " + kDash + " " + Number(last);
}

struct LayerData {
    bool hasCells = false;
    double minimum = 0.0;
    double maximum = 0.0;
};

LayerData PlotLayerData(PlotFile& plot, const LayerDef& layer) {
    const std::optional<PlotSet> set = LayerPlotSet(layer);
    GridData* data = set ? plot.GetGrid(*set) : nullptr;
    LayerData values;
    if (data != nullptr) {
        values.minimum = data->GetMinValue();
        values.maximum = data->GetMaxValue();
        values.hasCells = values.minimum <= values.maximum;
    }
    return values;
}

bool HasLegend(const LayerDef& layer) {
    return layer.style == LayerStyle::Blocks || layer.style == LayerStyle::Isolines ||
           layer.style == LayerStyle::Cloud || layer.style == LayerStyle::Dominant ||
           layer.style == LayerStyle::DominantShare;
}

// The trees (or groups) that take up most somewhere, the largest area
// first, each with its colour; past a dozen, the rest in one grey entry.
LegendSection DominantSection(PlotFile& plot, const LayerDef& layer, const PictureStyle& style,
                              bool withTreeColors) {
    const bool byTree = layer.source == LayerSource::DominantTree;
    DerivedNeeds needs;
    (byTree ? needs.dominantTrees : needs.dominantGroups) = true;
    plot.GatherDerived(needs);
    LegendSection section;
    section.title = wxString::FromUTF8(layer.label);
    const HeldGridData* set = DominantSet(plot, layer);
    const std::vector<size_t> counts = set ? set->TagCounts() : std::vector<size_t>();
    std::vector<size_t> tags;
    for (size_t tag = 0; tag < counts.size(); ++tag) {
        if (counts[tag] > 0) {
            tags.push_back(tag);
        }
    }
    if (tags.empty()) {
        section.note = byTree ? "no tree takes up anything" : "no group takes up anything";
        return section;
    }
    std::stable_sort(tags.begin(), tags.end(),
                     [&counts](size_t a, size_t b) { return counts[a] > counts[b]; });
    const std::vector<wxColour> colors =
        byTree && !withTreeColors ? std::vector<wxColour>() : DominantColors(plot, layer, style);
    const DerivedGrids& derived = plot.GetDerived();
    const bool cut = tags.size() > kMostDominantEntries;
    const size_t named = cut ? kMostDominantEntries - 1 : tags.size();
    for (size_t i = 0; i < named; ++i) {
        const size_t tag = tags[i];
        LegendEntry entry;
        entry.color = tag < colors.size() ? colors[tag] : wxColour();
        entry.text = wxString::FromUTF8(byTree ? derived.TreeOfTag(int(tag))
                                               : derived.GroupOfTag(int(tag))) +
                     wxString::Format(": %zu cells", counts[tag]);
        section.entries.push_back(entry);
    }
    if (cut) {
        const size_t rest =
            std::accumulate(tags.begin() + long(named), tags.end(), size_t(0),
                            [&counts](size_t sum, size_t tag) { return sum + counts[tag]; });
        LegendEntry others;
        others.color = wxColour(128, 128, 128);
        others.text = wxString::Format("%zu others: %zu cells", tags.size() - named, rest);
        section.entries.push_back(others);
    }
    const char* who = byTree ? "the tree" : "the group";
    section.note = layer.style == LayerStyle::DominantShare
                       ? wxString::Format("paler where %s takes less of the cell's uptake", who)
                       : wxString::Format("%s taking up most in each cell", who);
    return section;
}

void FillCloud(LegendSection& section, const wxColour& color, double maximum, bool wholeNumbers) {
    if (!(maximum > 0.0)) {
        section.note = "no dots: no cell has a positive value";
        return;
    }
    // A cell gets ceil(value / maximum * density) dots.
    LegendEntry entry;
    entry.color = color;
    entry.low = entry.high = maximum / kCloudDensity;
    entry.closed = true;
    entry.text = "one dot per " + Number(entry.low) + (wholeNumbers ? " trees" : "");
    section.entries.push_back(entry);
    section.note = wxString::Format("%d dots at %s", kCloudDensity, Number(maximum));
}

// How a layer's colours are chosen: its palette, the fixed range it spans
// (none: the data's own), and the classes of its values when they follow a
// rule of their own or a smooth gradient.
struct LayerColors {
    const Palette& palette;
    std::optional<ValueRange> fixed;
    const Classifier* classes = nullptr;
    bool smooth = false;

    bool OwnClasses() const { return classes && classes->OwnRule(); }
};

// Three significant digits, written out in full for the sizes plots have
// (1210, 22.1, 0.63), in powers of ten beyond them.
wxString Significant(double value) {
    value = value == 0.0 ? 0.0 : value;  // no "-0"
    const double size = std::fabs(value);
    if (!(size > 0.0) || !std::isfinite(size) || size >= 1e6 || size < 1e-3) {
        return wxString::Format("%.3g", value);
    }
    const int whole = static_cast<int>(std::floor(std::log10(size))) + 1;
    const double unit = std::pow(10.0, whole - 3);
    wxString text =
        wxString::Format("%.*f", std::max(0, 3 - whole), std::round(value / unit) * unit);
    if (text.Contains(".")) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.EndsWith(".")) {
            text.RemoveLast();
        }
    }
    return text;
}

wxString BoundsText(const Classifier::Bounds& bounds) {
    if (bounds.empty) {
        return "empty";
    }
    if (bounds.openBelow && !bounds.openAbove) {
        return kAtMost + " " + Significant(bounds.high);
    }
    if (bounds.openAbove && !bounds.openBelow) {
        return kAtLeast + " " + Significant(bounds.low);
    }
    if (bounds.openAbove) {
        return "all values";
    }
    return bounds.low == bounds.high
               ? Significant(bounds.low)
               : Significant(bounds.low) + " " + kDash + " " + Significant(bounds.high);
}

const char* RuleNote(ClassRule rule) {
    return rule == ClassRule::Quantile ? "quantile classes" : "log classes";
}

// The ends and the middle of a gradient, with the values there.
LegendBar GradientBar(const Palette& palette, const Classifier& classes) {
    LegendBar bar;
    bar.palette = palette;
    for (double position : {0.0, 0.5, 1.0}) {
        bar.ticks.push_back({position, Significant(classes.ValueAt(position))});
    }
    return bar;
}

// Each class with its colour (or, for a cloud, the dots a cell of it gets).
std::vector<LegendEntry> ClassEntries(const Palette& palette, const Classifier& classes,
                                      const wxColour* cloud = nullptr) {
    std::vector<LegendEntry> entries;
    for (int k = 0; k < classes.Count(); ++k) {
        const Classifier::Bounds bounds = classes.ClassBounds(k);
        LegendEntry entry;
        entry.color = cloud ? *cloud : palette[k];
        entry.empty = bounds.empty;
        entry.low = bounds.low;
        entry.high = bounds.high;
        entry.closed = true;
        entry.text = BoundsText(bounds);
        if (cloud && !bounds.empty) {
            const int dots = int(std::ceil(double(kCloudDensity) * (k + 1) / classes.Count()));
            entry.text += wxString::Format(": %d dots", dots);
        }
        entries.push_back(entry);
    }
    return entries;
}

LegendSection LayerSection(const wxString& title, LayerStyle style, const LayerData& data,
                           const LayerColors& colors, const wxColour& cloudColor,
                           bool wholeNumbers) {
    const Palette& palette = colors.palette;
    LegendSection section;
    section.title = title;
    if (!data.hasCells) {
        section.note = "no cells";
        return section;
    }
    switch (style) {
        case LayerStyle::Blocks:
            if (colors.smooth && colors.classes) {
                section.bar = GradientBar(palette, *colors.classes);
            } else {
                section.entries = colors.OwnClasses() ? ClassEntries(palette, *colors.classes)
                                  : colors.fixed      ? FixedRangeEntries(palette, *colors.fixed)
                                                 : BlockEntries(palette, data.minimum, data.maximum,
                                                                wholeNumbers);
            }
            section.note = "cells of 0 are not drawn";
            break;
        case LayerStyle::Isolines:
            if (!IsolineLevels(data.minimum, data.maximum, int(palette.size()), colors.fixed,
                               colors.classes)
                     .HasLevels()) {
                section.note = "no lines: every cell has the same value";
                break;
            }
            section.entries =
                colors.OwnClasses() ? ClassEntries(palette, *colors.classes)
                : colors.fixed      ? FixedRangeEntries(palette, *colors.fixed)
                               : IsolineEntries(palette, data.minimum, data.maximum, wholeNumbers);
            section.note = "a line takes the colour of its cell";
            break;
        case LayerStyle::Cloud:
            if (colors.OwnClasses()) {
                section.entries = ClassEntries(palette, *colors.classes, &cloudColor);
                break;
            }
            FillCloud(section, cloudColor, data.maximum, wholeNumbers);
            break;
        default:
            break;
    }
    if (colors.OwnClasses()) {
        // Under a gradient the rule is a scale, not classes.
        const wxString rule = !section.bar ? wxString(RuleNote(colors.classes->Rule()))
                              : colors.classes->Rule() == ClassRule::Log
                                  ? wxString("on a log scale")
                                  : wxString("on the values' ranks");
        section.note = section.note.empty() ? rule : rule + "; " + section.note;
    }
    return section;
}

// One section per group, as a tree's layer gets one per tree.
void AddGroupSections(PlotFile& plot, const LayerDef& layer, const std::vector<wxString>& groups,
                      const PictureStyle& style, LayerColors colors,
                      std::vector<LegendSection>& sections) {
    DerivedNeeds needs;
    for (const wxString& group : groups) {
        needs.groups.push_back(Utf8(group));
    }
    plot.GatherDerived(needs);
    for (const wxString& group : groups) {
        GridData* grid = plot.GetDerived().GroupGrid(Utf8(group));
        LayerData data;
        if (grid) {
            data.minimum = grid->GetMinValue();
            data.maximum = grid->GetMaxValue();
            data.hasCells = data.minimum <= data.maximum;
        }
        const auto classes = grid ? LayerClasses(plot, *grid, layer, style) : nullptr;
        colors.classes = classes.get();
        sections.push_back(LayerSection(group + ": " + wxString::FromUTF8(layer.label), layer.style,
                                        data, colors, GroupColorOf(plot, group), false));
    }
}

wxString FileName(const PlotFile& plot) {
    return wxFileName(plot.GetPath()).GetFullName();
}

// The sections of a change layer (one for each tree of a tree layer): its
// classes both ways from 0, and which colour means more in which file.
void AddChangeSections(PlotPainter& painter, const LayerDef& layer,
                       const std::vector<wxString>& trees, const PictureStyle& style,
                       std::vector<LegendSection>& sections) {
    const PlotComparison* comparison = painter.GetComparison();
    const std::vector<wxString> owners =
        layer.group == LayerGroup::Tree ? trees : std::vector<wxString>{wxString()};
    for (const wxString& tree : owners) {
        LegendSection section;
        section.title = (tree.empty() ? wxString() : tree + ": ") + wxString::FromUTF8(layer.label);
        GridData* data = painter.LayerData(layer, tree);
        if (!comparison || !data) {
            section.note = comparison ? "no cells" : "no plot to compare with";
            sections.push_back(section);
            continue;
        }
        const auto classes = LayerClasses(painter.GetPlot(), *data, layer, style);
        const Palette palette = style.PaletteOf(layer);
        if (style.colors.smoothGradient && layer.style == LayerStyle::Blocks) {
            section.bar = GradientBar(palette, *classes);
        } else {
            section.entries = ClassEntries(palette, *classes);
        }
        const wxString other = FileName(comparison->GetOther());
        section.note = other + " minus " + FileName(comparison->GetOpen()) +
                       ":\nred: more, blue: less;\nno change: not drawn";
        sections.push_back(section);
    }
}

}  // namespace

std::vector<LegendEntry> RangeEntries(const Palette& palette, double minimum, double maximum,
                                      const std::function<int(double)>& pick, bool wholeNumbers) {
    std::vector<LegendEntry> entries;
    const int n = static_cast<int>(palette.size());
    if (n == 0 || !(minimum <= maximum) || !std::isfinite(minimum) || !std::isfinite(maximum)) {
        return entries;
    }
    // starts[k]: the smallest value of the data range that picks entry k or a
    // later one; beyond the range when no value does.
    const double beyond = std::numeric_limits<double>::infinity();
    std::vector<double> starts(n + 1, beyond);
    starts[0] = minimum;
    for (int k = 1; k < n; ++k) {
        if (pick(maximum) < k) {
            break;
        }
        starts[k] = pick(minimum) >= k ? minimum : FirstPicking(pick, k, minimum, maximum);
    }
    for (int k = 0; k < n; ++k) {
        LegendEntry entry;
        entry.color = palette[k];
        entry.low = starts[k];
        entry.closed = starts[k + 1] > maximum;
        entry.high = entry.closed ? maximum : starts[k + 1];
        entry.empty = entry.low > maximum || (!entry.closed && entry.low >= entry.high);
        if (wholeNumbers) {
            DescribeWhole(entry);
        } else {
            DescribeReal(entry);
        }
        entries.push_back(entry);
    }
    return entries;
}

std::vector<LegendEntry> FixedRangeEntries(const Palette& palette, const ValueRange& range) {
    std::vector<LegendEntry> entries;
    const int n = static_cast<int>(palette.size());
    const double infinity = std::numeric_limits<double>::infinity();
    // The boundary below entry k, b0 and bn standing for the open ends.
    auto boundary = [&](int k) {
        return k <= 0 ? -infinity
                      : (k >= n ? infinity : range.min + (range.max - range.min) * k / n);
    };
    for (int k = 0; k < n; ++k) {
        LegendEntry entry;
        entry.color = palette[k];
        entry.low = boundary(k);
        entry.high = boundary(k + 1);
        entry.closed = k == n - 1;
        if (n == 1) {
            entry.text = "all values";
        } else if (k == 0) {
            entry.text = kAtMost + " " + Number(entry.high);
        } else if (k == n - 1) {
            entry.text = kAtLeast + " " + Number(entry.low);
        } else {
            entry.text = Number(entry.low) + " " + kDash + " " + Number(entry.high);
        }
        entries.push_back(entry);
    }
    return entries;
}

std::vector<LegendEntry> BlockEntries(const Palette& palette, double minimum, double maximum,
                                      bool wholeNumbers) {
    const int n = static_cast<int>(palette.size());
    return RangeEntries(
        palette, minimum, maximum,
        [=](double value) { return PaletteIndex(value, minimum, maximum, n); }, wholeNumbers);
}

std::vector<LegendEntry> IsolineEntries(const Palette& palette, double minimum, double maximum,
                                        bool wholeNumbers) {
    const IsolineLevels levels(minimum, maximum, static_cast<int>(palette.size()));
    return RangeEntries(
        palette, minimum, maximum, [&levels](double value) { return levels.ColorIndex(value); },
        wholeNumbers);
}

std::vector<LegendSection> BuildLegend(RenderHelper& helper,
                                       const std::vector<const LayerDef*>& layers,
                                       const std::vector<wxString>& trees, ColorSettings& settings,
                                       bool withTreeColors) {
    PictureStyle style = StyleOf(settings);
    style.treeColors = helper.Style().treeColors;
    return BuildLegend(helper.GetPainter(), layers, trees, style, withTreeColors);
}

std::vector<LegendSection> BuildLegend(PlotPainter& painter,
                                       const std::vector<const LayerDef*>& layers,
                                       const std::vector<wxString>& trees,
                                       const PictureStyle& style, bool withTreeColors,
                                       const std::vector<wxString>& groups) {
    std::vector<LegendSection> sections;
    PlotFile& plot = painter.GetPlot();
    const Palette plotPalette = style.ValuePalette(LayerGroup::Plot);
    const Palette treePalette = style.ValuePalette(LayerGroup::Tree);
    for (const LayerDef* layer : ByPosition(layers)) {
        if (!HasLegend(*layer)) {
            continue;
        }
        if (IsChangeLayer(*layer)) {
            AddChangeSections(painter, *layer, trees, style, sections);
            continue;
        }
        const wxString label = wxString::FromUTF8(layer->label);
        const std::optional<ValueRange> fixed = style.RangeOf(*layer);
        const bool smooth = style.colors.smoothGradient;
        if (layer->style == LayerStyle::Dominant || layer->style == LayerStyle::DominantShare) {
            sections.push_back(DominantSection(plot, *layer, style, withTreeColors));
            continue;
        }
        if (layer->group == LayerGroup::TreeGroup) {
            AddGroupSections(plot, *layer, groups, style,
                             LayerColors{treePalette, fixed, nullptr, smooth}, sections);
            continue;
        }
        if (layer->group == LayerGroup::Plot) {
            const bool whole = layer->source == LayerSource::TreeCount;
            const std::optional<PlotSet> set = LayerPlotSet(*layer);
            GridData* data = set ? plot.GetGrid(*set) : nullptr;
            const auto classes = data ? LayerClasses(plot, *data, *layer, style) : nullptr;
            sections.push_back(LayerSection(label, layer->style, PlotLayerData(plot, *layer),
                                            LayerColors{plotPalette, fixed, classes.get(), smooth},
                                            LayerColor(*layer), whole));
            continue;
        }
        for (const wxString& tree : trees) {
            const TreeUptake& uptake = plot.GetTreeUptake(tree);
            if (!uptake.drawable) {
                continue;  // its layers draw nothing
            }
            LayerData data;
            data.minimum = uptake.minValue;
            data.maximum = uptake.maxValue;
            data.hasCells = !uptake.table.empty() && data.minimum <= data.maximum;
            // Asking for a colour may draw a new one; only a cloud has any.
            const bool cloudColor = withTreeColors && layer->style == LayerStyle::Cloud;
            const wxColour cloud = cloudColor ? style.TreeColor(tree) : wxColour();
            GridData* grid = style.NeedsClasses(*layer) ? plot.GetTreeGrid(tree) : nullptr;
            const auto classes = grid ? LayerClasses(plot, *grid, *layer, style) : nullptr;
            sections.push_back(LayerSection(tree + ": " + label, layer->style, data,
                                            LayerColors{treePalette, fixed, classes.get(), smooth},
                                            cloud, false));
        }
    }
    return sections;
}
