#include "render/LayerTable.h"

#include <algorithm>

namespace {

using G = LayerGroup;
using S = LayerSource;
using Y = LayerStyle;

// Drawn between the stem labels and the scale when one bitmap holds both,
// and on top of every picture.
// clang-format off
const LayerDef kHighlight = {"", "", G::Plot, LAYER_HIGHLIGHT, 140, 255, 10,
                             S::HighlightedStems, Y::StemDiscs, 0xFFFFFF, "dbh"};
// clang-format on

std::vector<const LayerDef*> SortedForOneBitmap(LayerGroup group) {
    std::vector<const LayerDef*> layers;
    for (const LayerDef& layer : LayerCatalogue()) {
        if (layer.group == group) {
            layers.push_back(&layer);
        }
    }
    if (group == LayerGroup::Plot) {
        layers.push_back(&kHighlight);
    }
    std::sort(layers.begin(), layers.end(),
              [](const LayerDef* a, const LayerDef* b) { return a->bitmapOrder < b->bitmapOrder; });
    return layers;
}

}  // namespace

const std::vector<LayerDef>& LayerCatalogue() {
    // key, label, group, flag, position, weight, bitmap order, source, style, colour, size column
    static const std::vector<LayerDef> catalogue = {
        {"uptake-blocks", "Total Nitrogen Uptake (blocks)", G::Plot, LAYER_UPTAKE_BLOCKS, 0, 150, 0,
         S::Uptake, Y::Blocks, 0, nullptr},
        {"count-blocks", "# of Trees Drawing (blocks)", G::Plot, LAYER_COUNT_BLOCKS, 10, 150, 1,
         S::TreeCount, Y::Blocks, 0, nullptr},
        {"uptake-clouds", "Total Nitrogen Uptake (clouds)", G::Plot, LAYER_UPTAKE_CLOUDS, 20, 255,
         2, S::Uptake, Y::Cloud, 0xFF0000, nullptr},
        {"count-clouds", "# of Trees Drawing (clouds)", G::Plot, LAYER_COUNT_CLOUDS, 30, 255, 3,
         S::TreeCount, Y::Cloud, 0x0000FF, nullptr},
        {"uptake-isolines", "Total Nitrogen Uptake (isoline)", G::Plot, LAYER_UPTAKE_ISOLINES, 100,
         255, 4, S::Uptake, Y::Isolines, 0, nullptr},
        {"count-isolines", "# of Tree Drawing (isoline)", G::Plot, LAYER_COUNT_ISOLINES, 110, 255,
         5, S::TreeCount, Y::Isolines, 0, nullptr},
        {"stems-plain", "Stem Map (Plain)", G::Plot, LAYER_STEMS_PLAIN, 70, 255, 7, S::Stems,
         Y::StemDots, 0xC86400, nullptr},
        {"stems-crown", "Stem Map (Crown)", G::Plot, LAYER_STEMS_CROWN, 80, 255, 6, S::Stems,
         Y::StemDiscs, 0x009600, "Crown_d_m"},
        {"stems-dbh", "Stem Map (DBH)", G::Plot, LAYER_STEMS_DBH, 90, 255, 8, S::Stems,
         Y::StemDiscs, 0x963C00, "dbh"},
        // Not black: black is the transparent colour of every layer.
        {"stem-labels", "Stem Labels", G::Plot, LAYER_STEM_LABELS, 120, 255, 9, S::Stems,
         Y::StemLabels, 0x010101, nullptr},
        {"scale", "Scale", G::Plot, LAYER_SCALE, 130, 255, 11, S::GridFrame, Y::Scale, 0xFFFFFF,
         nullptr},
        {"tree-blocks", "Nitrogen Uptake (Blocks)", G::Tree, STEM_LAYER_BLOCKS, 40, 150, 0,
         S::TreeUptake, Y::Blocks, 0, nullptr},
        {"tree-isolines", "Nitrogen Uptake (Isoline)", G::Tree, STEM_LAYER_ISOLINES, 60, 255, 2,
         S::TreeUptake, Y::Isolines, 0, nullptr},
        {"tree-clouds", "Nitrogen Uptake (Cloud)", G::Tree, STEM_LAYER_CLOUD, 50, 255, 1,
         S::TreeUptake, Y::Cloud, 0, nullptr},
        // The changes to a compared plot, each beside what it is the change of.
        {"uptake-diff-blocks", "Change of Total Uptake (blocks)", G::Plot, LAYER_UPTAKE_DIFF_BLOCKS,
         5, 150, 12, S::UptakeDiff, Y::Blocks, 0, nullptr},
        {"count-diff-blocks", "Change of # of Trees (blocks)", G::Plot, LAYER_COUNT_DIFF_BLOCKS, 15,
         150, 13, S::CountDiff, Y::Blocks, 0, nullptr},
        {"uptake-diff-isolines", "Change of Total Uptake (isoline)", G::Plot,
         LAYER_UPTAKE_DIFF_ISOLINES, 105, 255, 14, S::UptakeDiff, Y::Isolines, 0, nullptr},
        {"count-diff-isolines", "Change of # of Trees (isoline)", G::Plot,
         LAYER_COUNT_DIFF_ISOLINES, 115, 255, 15, S::CountDiff, Y::Isolines, 0, nullptr},
        {"tree-diff-blocks", "Change of Uptake (Blocks)", G::Tree, STEM_LAYER_DIFF_BLOCKS, 45, 150,
         3, S::TreeDiff, Y::Blocks, 0, nullptr},
        {"tree-diff-isolines", "Change of Uptake (Isoline)", G::Tree, STEM_LAYER_DIFF_ISOLINES, 65,
         255, 4, S::TreeDiff, Y::Isolines, 0, nullptr},
        // Who takes up most where: over the uptake blocks, under the tree count's.
        {"dominant-blocks", "Dominant Tree (blocks)", G::Plot, LAYER_DOMINANT_BLOCKS, 2, 150, 16,
         S::DominantTree, Y::Dominant, 0, nullptr},
        {"dominant-share-blocks", "Dominant Tree by Share (blocks)", G::Plot,
         LAYER_DOMINANT_SHARE_BLOCKS, 3, 150, 17, S::DominantTree, Y::DominantShare, 0, nullptr},
        {"dominant-group-blocks", "Dominant Group (blocks)", G::Plot, LAYER_DOMINANT_GROUP_BLOCKS,
         6, 150, 18, S::DominantGroup, Y::Dominant, 0, nullptr},
        {"dominant-group-share-blocks", "Dominant Group by Share (blocks)", G::Plot,
         LAYER_DOMINANT_GROUP_SHARE_BLOCKS, 7, 150, 19, S::DominantGroup, Y::DominantShare, 0,
         nullptr},
        // Each kind of a group's layer just under the same kind of a tree's.
        {"group-blocks", "Group Uptake (Blocks)", G::TreeGroup, GROUP_LAYER_BLOCKS, 35, 150, 0,
         S::GroupUptake, Y::Blocks, 0, nullptr},
        {"group-isolines", "Group Uptake (Isoline)", G::TreeGroup, GROUP_LAYER_ISOLINES, 58, 255, 2,
         S::GroupUptake, Y::Isolines, 0, nullptr},
        {"group-clouds", "Group Uptake (Cloud)", G::TreeGroup, GROUP_LAYER_CLOUD, 48, 255, 1,
         S::GroupUptake, Y::Cloud, 0, nullptr},
    };
    return catalogue;
}

const LayerDef& HighlightLayer() {
    return kHighlight;
}

const LayerDef* FindLayer(const std::string& key) {
    for (const LayerDef& layer : LayerCatalogue()) {
        if (key == layer.key) {
            return &layer;
        }
    }
    return nullptr;
}

const LayerDef* FindLayer(LayerGroup group, uint32_t flag) {
    for (const LayerDef* layer : BitmapOrder(group)) {
        if (layer->flag == flag) {
            return layer;
        }
    }
    return nullptr;
}

const std::vector<const LayerDef*>& BitmapOrder(LayerGroup group) {
    static const std::vector<const LayerDef*> plot = SortedForOneBitmap(LayerGroup::Plot);
    static const std::vector<const LayerDef*> tree = SortedForOneBitmap(LayerGroup::Tree);
    static const std::vector<const LayerDef*> groups = SortedForOneBitmap(LayerGroup::TreeGroup);
    return group == LayerGroup::Plot ? plot : group == LayerGroup::Tree ? tree : groups;
}

std::vector<const LayerDef*> ByPosition(std::vector<const LayerDef*> layers) {
    std::stable_sort(layers.begin(), layers.end(), [](const LayerDef* a, const LayerDef* b) {
        return a->position < b->position;
    });
    return layers;
}

wxColour LayerColor(const LayerDef& layer) {
    return wxColour((layer.color >> 16) & 0xFF, (layer.color >> 8) & 0xFF, layer.color & 0xFF);
}

std::optional<PlotSet> LayerPlotSet(const LayerDef& layer) {
    switch (layer.source) {
        case LayerSource::Uptake:
            return PlotSet::Uptake;
        case LayerSource::TreeCount:
            return PlotSet::TreeCount;
        default:
            return std::nullopt;
    }
}

std::optional<RangeFamily> LayerRangeFamily(const LayerDef& layer) {
    switch (layer.source) {
        case LayerSource::Uptake:
            return RangeFamily::Uptake;
        case LayerSource::TreeCount:
            return RangeFamily::TreeCount;
        case LayerSource::TreeUptake:
            return RangeFamily::Tree;
        case LayerSource::UptakeDiff:
            return RangeFamily::UptakeDiff;
        case LayerSource::CountDiff:
            return RangeFamily::CountDiff;
        case LayerSource::TreeDiff:
            return RangeFamily::TreeDiff;
        case LayerSource::GroupUptake:
            return RangeFamily::Group;
        default:
            return std::nullopt;
    }
}

bool IsChangeLayer(const LayerDef& layer) {
    const std::optional<RangeFamily> family = LayerRangeFamily(layer);
    return family && IsChangeFamily(*family);
}

bool NeedsGrouping(const LayerDef& layer) {
    return layer.group == LayerGroup::TreeGroup || layer.source == LayerSource::DominantGroup;
}
