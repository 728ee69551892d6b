// The fixed catalogue of layers that the main window offers.
#pragma once

#include <string>
#include <vector>

struct CatalogueLayer {
    int group;  // 1 plot layers, 2 individual stem layers
    int flag;   // one bit, naming the layer within its group
    const char* label;
    int position;  // compositing order, front (bottom) first
    int weight;
    const char* key;  // the layer's name on the command line
};

// The fourteen layers in registration order.
const std::vector<CatalogueLayer>& LayerCatalogue();

// The layer with that command-line key, or null.
const CatalogueLayer* FindCatalogueLayer(const std::string& key);
