#include "render/LayerCache.h"

wxBitmap LayerCache::PlotLayer(uint32_t flag) const {
    const auto found = plotLayers.find(flag);
    return found == plotLayers.end() ? wxBitmap() : found->second;
}

wxBitmap LayerCache::StemLayer(const wxString& stem, uint32_t flag) const {
    const auto stemEntry = stemLayers.find(stem);
    if (stemEntry == stemLayers.end()) {
        return wxBitmap();
    }
    const auto found = stemEntry->second.find(flag);
    return found == stemEntry->second.end() ? wxBitmap() : found->second;
}

void LayerCache::Clear() {
    plotLayers.clear();
    for (auto& stemEntry : stemLayers) {
        stemEntry.second.clear();
    }
}

void LayerCache::ClearStem(const wxString& stem) {
    const auto stemEntry = stemLayers.find(stem);
    if (stemEntry != stemLayers.end()) {
        stemEntry->second.clear();
    }
}
