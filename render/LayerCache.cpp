#include "render/LayerCache.h"

namespace {

wxBitmap Find(const std::map<wxString, std::map<uint32_t, wxBitmap>>& layers, const wxString& owner,
              uint32_t flag) {
    const auto entry = layers.find(owner);
    if (entry == layers.end()) {
        return wxBitmap();
    }
    const auto found = entry->second.find(flag);
    return found == entry->second.end() ? wxBitmap() : found->second;
}

}  // namespace

wxBitmap LayerCache::PlotLayer(uint32_t flag) const {
    const auto found = plotLayers.find(flag);
    return found == plotLayers.end() ? wxBitmap() : found->second;
}

wxBitmap LayerCache::StemLayer(const wxString& stem, uint32_t flag) const {
    return Find(stemLayers, stem, flag);
}

wxBitmap LayerCache::GroupLayer(const wxString& group, uint32_t flag) const {
    return Find(groupLayers, group, flag);
}

wxBitmap LayerCache::Layer(LayerGroup group, const wxString& owner, uint32_t flag) const {
    switch (group) {
        case LayerGroup::Tree:
            return StemLayer(owner, flag);
        case LayerGroup::TreeGroup:
            return GroupLayer(owner, flag);
        case LayerGroup::Plot:
            break;
    }
    return PlotLayer(flag);
}

void LayerCache::KeepLayer(LayerGroup group, const wxString& owner, uint32_t flag,
                           const wxBitmap& bitmap) {
    switch (group) {
        case LayerGroup::Tree:
            KeepStemLayer(owner, flag, bitmap);
            return;
        case LayerGroup::TreeGroup:
            KeepGroupLayer(owner, flag, bitmap);
            return;
        case LayerGroup::Plot:
            break;
    }
    KeepPlotLayer(flag, bitmap);
}

void LayerCache::Clear() {
    plotLayers.clear();
    for (auto& stemEntry : stemLayers) {
        stemEntry.second.clear();
    }
    groupLayers.clear();
}

void LayerCache::ClearStem(const wxString& stem) {
    const auto stemEntry = stemLayers.find(stem);
    if (stemEntry != stemLayers.end()) {
        stemEntry->second.clear();
    }
    // The dominant trees are drawn in every tree's colour.
    for (const LayerDef& layer : LayerCatalogue()) {
        if (layer.source == LayerSource::DominantTree) {
            plotLayers.erase(layer.flag);
        }
    }
}
