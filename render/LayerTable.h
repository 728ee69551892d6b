// What a layer is, written once: its name on the command line, its label
// in the window, its group and place in the stack, what it draws from and
// how. The catalogue, the check boxes, the command-line keys, the drawing,
// the legend and every output read this table; a new kind of layer is a new
// row here, plus its case in RenderLayers.cpp when it is drawn a new way.
#pragma once

#include <wx/colour.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/PlotSet.h"
#include "render/ValueRange.h"

// Plot layers are drawn once a picture; a tree's own layers once for each
// selected tree, a group's once for each selected group of trees. The same
// flag names different layers in different groups.
enum class LayerGroup { Plot = 1, Tree = 2, TreeGroup = 3 };

// Plot-layer flags.
enum PlotLayerFlag : uint32_t {
    LAYER_UPTAKE_BLOCKS = 1,
    LAYER_COUNT_BLOCKS = 2,
    LAYER_UPTAKE_ISOLINES = 4,
    LAYER_COUNT_ISOLINES = 8,
    LAYER_STEMS_PLAIN = 16,
    LAYER_STEMS_DBH = 32,
    LAYER_STEMS_CROWN = 64,
    LAYER_STEM_LABELS = 128,
    LAYER_SCALE = 256,
    LAYER_UPTAKE_CLOUDS = 512,
    LAYER_COUNT_CLOUDS = 1024,
    LAYER_HIGHLIGHT = 2048,  // the overlay of highlighted stems, not in the catalogue
    LAYER_UPTAKE_DIFF_BLOCKS = 4096,
    LAYER_COUNT_DIFF_BLOCKS = 8192,
    LAYER_UPTAKE_DIFF_ISOLINES = 16384,
    LAYER_COUNT_DIFF_ISOLINES = 32768,
    LAYER_DOMINANT_BLOCKS = 1u << 16,
    LAYER_DOMINANT_SHARE_BLOCKS = 1u << 17,
    LAYER_DOMINANT_GROUP_BLOCKS = 1u << 18,
    LAYER_DOMINANT_GROUP_SHARE_BLOCKS = 1u << 19,
};

// A tree's own layer flags.
enum StemLayerFlag : uint32_t {
    STEM_LAYER_BLOCKS = 1,
    STEM_LAYER_ISOLINES = 2,
    STEM_LAYER_CLOUD = 4,
    STEM_LAYER_DIFF_BLOCKS = 8,
    STEM_LAYER_DIFF_ISOLINES = 16,
};

// A group's own layer flags.
enum GroupLayerFlag : uint32_t {
    GROUP_LAYER_BLOCKS = 1,
    GROUP_LAYER_ISOLINES = 2,
    GROUP_LAYER_CLOUD = 4,
};

// What a layer draws from.
enum class LayerSource {
    Uptake,            // the plot-wide uptake set
    TreeCount,         // the plot-wide tree-count set
    GridFrame,         // the grid's extent and cell size
    Stems,             // every stem
    HighlightedStems,  // the stems the user has highlighted
    TreeUptake,        // the uptake set of one tree
    UptakeDiff,        // the change of the uptake from the open plot to a compared one
    CountDiff,         // the same of the tree count
    TreeDiff,          // the same of one tree's uptake
    DominantTree,      // the tree that takes up most in each cell
    DominantGroup,     // the group of trees that takes up most in each cell
    GroupUptake,       // the summed uptake of one group of trees
};

// How a layer is drawn. Dominant: blocks in the colour of the tree or group
// each cell is tagged with; DominantShare: that colour blended toward white
// as its share of the cell falls.
enum class LayerStyle {
    Blocks,
    Cloud,
    Isolines,
    Scale,
    StemDots,
    StemDiscs,
    StemLabels,
    Dominant,
    DominantShare
};

struct LayerDef {
    const char* key;    // the name on the command line; empty for the overlay
    const char* label;  // the text of its check box
    LayerGroup group;
    uint32_t flag;  // one bit, naming the layer within its group
    int position;   // the place in the picture's stack, bottom first
    int weight;     // as registered; nothing is drawn by it
    // The place within one bitmap drawn for several flags of the group.
    int bitmapOrder;
    LayerSource source;
    LayerStyle style;
    // 0xRRGGBB of the styles drawn in one colour. Blocks and isolines take
    // the colour scale, a tree's cloud its tree's colour and a group's its
    // group's, a dominant layer each tree's or group's colour.
    uint32_t color;
    const char* sizeColumn;  // discs: the stem column that gives the radius
};

// The layers the window offers, in registration order: the fourteen of the
// plot and its trees, then the changes to a compared plot, then who takes
// up most and the groups of trees.
const std::vector<LayerDef>& LayerCatalogue();
// The overlay of highlighted stems, drawn over every picture.
const LayerDef& HighlightLayer();

// The catalogue layer with that command-line key, or null.
const LayerDef* FindLayer(const std::string& key);
// The layer of that group and flag, the overlay included, or null.
const LayerDef* FindLayer(LayerGroup group, uint32_t flag);

// The layers of a group, the overlay among the plot's, in the order one
// bitmap of several flags draws them.
const std::vector<const LayerDef*>& BitmapOrder(LayerGroup group);
// The layers in the picture's stacking order, bottom first; layers of the
// same position keep their order.
std::vector<const LayerDef*> ByPosition(std::vector<const LayerDef*> layers);

// The colour of a layer drawn in one colour.
wxColour LayerColor(const LayerDef& layer);
// The plot-wide set a value layer shows; none for the other layers.
std::optional<PlotSet> LayerPlotSet(const LayerDef& layer);
// Whose value range colours a value layer; none for the other layers.
std::optional<RangeFamily> LayerRangeFamily(const LayerDef& layer);
// Whether the layer draws groups of trees, and so needs the trees grouped.
bool NeedsGrouping(const LayerDef& layer);
// Whether the layer shows the change to a compared plot.
bool IsChangeLayer(const LayerDef& layer);
