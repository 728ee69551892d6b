#include "render/LayerCatalogue.h"

const std::vector<CatalogueLayer>& LayerCatalogue() {
    static const std::vector<CatalogueLayer> catalogue = {
        {1, 1, "Total Nitrogen Uptake (blocks)", 0, 150, "uptake-blocks"},
        {1, 2, "# of Trees Drawing (blocks)", 1, 150, "count-blocks"},
        {1, 512, "Total Nitrogen Uptake (clouds)", 2, 255, "uptake-clouds"},
        {1, 1024, "# of Trees Drawing (clouds)", 3, 255, "count-clouds"},
        {1, 4, "Total Nitrogen Uptake (isoline)", 10, 255, "uptake-isolines"},
        {1, 8, "# of Tree Drawing (isoline)", 11, 255, "count-isolines"},
        {1, 16, "Stem Map (Plain)", 7, 255, "stems-plain"},
        {1, 64, "Stem Map (Crown)", 8, 255, "stems-crown"},
        {1, 32, "Stem Map (DBH)", 9, 255, "stems-dbh"},
        {1, 128, "Stem Labels", 12, 255, "stem-labels"},
        {1, 256, "Scale", 13, 255, "scale"},
        {2, 1, "Nitrogen Uptake (Blocks)", 4, 150, "tree-blocks"},
        {2, 2, "Nitrogen Uptake (Isoline)", 6, 255, "tree-isolines"},
        {2, 4, "Nitrogen Uptake (Cloud)", 5, 255, "tree-clouds"},
    };
    return catalogue;
}

const CatalogueLayer* FindCatalogueLayer(const std::string& key) {
    for (const CatalogueLayer& layer : LayerCatalogue()) {
        if (key == layer.key) {
            return &layer;
        }
    }
    return nullptr;
}
