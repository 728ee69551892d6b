#include <gtest/gtest.h>

#include "render/LayerTable.h"

namespace {

std::vector<uint32_t> Flags(const std::vector<const LayerDef*>& layers) {
    std::vector<uint32_t> flags;
    for (const LayerDef* layer : layers) {
        flags.push_back(layer->flag);
    }
    return flags;
}

}  // namespace

// Within one bitmap the isolines come before the stem maps and the overlay
// before the scale, whatever the layers' positions in the picture.
TEST(LayerTable, OneBitmapStacksItsLayersInTheFixedOrder) {
    EXPECT_EQ(Flags(BitmapOrder(LayerGroup::Plot)),
              (std::vector<uint32_t>{1,     2,     512,      1024,     4,        8,       64,
                                     16,    32,    128,      2048,     256,      4096,    8192,
                                     16384, 32768, 1u << 16, 1u << 17, 1u << 18, 1u << 19}));
    EXPECT_EQ(Flags(BitmapOrder(LayerGroup::Tree)), (std::vector<uint32_t>{1, 4, 2, 8, 16}));
    EXPECT_EQ(Flags(BitmapOrder(LayerGroup::TreeGroup)), (std::vector<uint32_t>{1, 4, 2}));
    std::vector<const LayerDef*> all;
    for (const LayerDef& layer : LayerCatalogue()) {
        all.push_back(&layer);
    }
    EXPECT_EQ(
        Flags(ByPosition(all)),
        (std::vector<uint32_t>{
            1, 1u << 16, 1u << 17, 4096, 1u << 18, 1u << 19, 2, 8192,  512, 1024,  1,   1,  8, 4, 4,
            2, 2,        16,       16,   64,       32,       4, 16384, 8,   32768, 128, 256}));
}

TEST(LayerTable, GroupAndFlagNameOneLayer) {
    for (const LayerDef& layer : LayerCatalogue()) {
        EXPECT_EQ(FindLayer(layer.group, layer.flag), &layer) << layer.key;
    }
    EXPECT_EQ(FindLayer(LayerGroup::Plot, LAYER_HIGHLIGHT), &HighlightLayer());
    EXPECT_EQ(FindLayer(LayerGroup::Tree, LAYER_HIGHLIGHT), nullptr);
    EXPECT_EQ(FindLayer(LayerGroup::Tree, STEM_LAYER_CLOUD)->label,
              std::string("Nitrogen Uptake (Cloud)"));
}
