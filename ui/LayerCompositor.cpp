#include "ui/LayerCompositor.h"

#include "render/LayerStack.h"
#include "render/RenderHelper.h"

std::vector<wxBitmap> LayerCompositor::Compose(RenderHelper& helper,
                                               const std::vector<VisibleLayer>& layers,
                                               const std::vector<wxString>& stems, int width,
                                               int height) {
    std::vector<wxBitmap> stack;
    // A viewer without pixels (not laid out yet) cannot hold a picture.
    if (width <= 0 || height <= 0) {
        return stack;
    }
    for (const VisibleLayer& layer : layers) {
        if (!layer.perStem) {
            stack.push_back(PlotLayer(helper, layer.flag, width, height));
            continue;
        }
        for (const wxString& stem : stems) {
            stack.push_back(StemLayer(helper, stem, layer.flag, width, height));
        }
    }
    stack.push_back(helper.RenderPlotLayers(LAYER_HIGHLIGHT, width, height));
    return stack;
}

wxBitmap LayerCompositor::CachedPlotLayer(uint32_t flag) const {
    const auto found = plotLayerCache.find(flag);
    return found == plotLayerCache.end() ? wxBitmap() : found->second;
}

wxBitmap LayerCompositor::CachedStemLayer(const wxString& stem, uint32_t flag) const {
    const auto stemEntry = stemLayerCache.find(stem);
    if (stemEntry == stemLayerCache.end()) {
        return wxBitmap();
    }
    const auto found = stemEntry->second.find(flag);
    return found == stemEntry->second.end() ? wxBitmap() : found->second;
}

void LayerCompositor::Clear() {
    plotLayerCache.clear();
    for (auto& stemEntry : stemLayerCache) {
        stemEntry.second.clear();
    }
}

void LayerCompositor::ClearStem(const wxString& stem) {
    const auto stemEntry = stemLayerCache.find(stem);
    if (stemEntry != stemLayerCache.end()) {
        stemEntry->second.clear();
    }
}

// A layer drawn now is kept as drawn (with its mask) and stacked with alpha;
// one taken from the cache is stacked by its mask. Both show the same pixels.
wxBitmap LayerCompositor::PlotLayer(RenderHelper& helper, uint32_t flag, int width, int height) {
    const wxBitmap cached = CachedPlotLayer(flag);
    if (cached.IsOk()) {
        return cached;
    }
    const wxBitmap drawn = helper.RenderPlotLayers(flag, width, height);
    plotLayerCache[flag] = drawn;
    return ToAlphaBitmap(drawn);
}

wxBitmap LayerCompositor::StemLayer(RenderHelper& helper, const wxString& stem, uint32_t flag,
                                    int width, int height) {
    const wxBitmap cached = CachedStemLayer(stem, flag);
    if (cached.IsOk()) {
        return cached;
    }
    const wxBitmap drawn = helper.RenderStemLayers(flag, stem, width, height);
    stemLayerCache[stem][flag] = drawn;
    return ToAlphaBitmap(drawn);
}
