#include "render/Composer.h"

#include <algorithm>

#include "base/Text.h"
#include "render/LayerCache.h"
#include "render/LayerStack.h"
#include "render/RenderHelper.h"

namespace {

// One layer of the scene, from the cache or drawn now. A layer drawn now is
// kept as drawn (with its mask) and stacked with alpha; one from the cache
// is stacked by its mask. Both show the same pixels.
wxBitmap SceneLayer(RenderHelper& helper, const Scene& scene, const LayerDef& layer,
                    const wxString& tree, LayerCache* cache) {
    const bool perTree = layer.group == LayerGroup::Tree;
    if (cache) {
        const wxBitmap kept =
            perTree ? cache->StemLayer(tree, layer.flag) : cache->PlotLayer(layer.flag);
        if (kept.IsOk()) {
            return kept;
        }
    }
    const wxBitmap drawn = helper.RenderLayer(layer, tree, scene.view, scene.width, scene.height);
    if (cache) {
        if (perTree) {
            cache->KeepStemLayer(tree, layer.flag, drawn);
        } else {
            cache->KeepPlotLayer(layer.flag, drawn);
        }
    }
    return ToAlphaBitmap(drawn);
}

}  // namespace

void ComposeLayers(RenderHelper& helper, const Scene& scene,
                   const std::function<void(const wxBitmap&)>& take, LayerCache* cache) {
    // A map without pixels (a window not laid out yet) cannot hold a picture.
    if (scene.width <= 0 || scene.height <= 0) {
        return;
    }
    // The selected trees' data come from one pass over the grid, not one each.
    const bool treeLayers =
        std::any_of(scene.layers.begin(), scene.layers.end(),
                    [](const LayerDef* layer) { return layer->group == LayerGroup::Tree; });
    if (treeLayers && scene.trees.size() > 1) {
        helper.GetPlot().GatherTrees(scene.trees);
    }
    for (const LayerDef* layer : ByPosition(scene.layers)) {
        if (layer->group == LayerGroup::Plot) {
            take(SceneLayer(helper, scene, *layer, wxString(), cache));
            continue;
        }
        for (const wxString& tree : scene.trees) {
            take(SceneLayer(helper, scene, *layer, tree, cache));
        }
    }
    take(helper.RenderLayer(HighlightLayer(), wxString(), scene.view, scene.width, scene.height));
}

wxBitmap ComposePicture(RenderHelper& helper, const Scene& scene, LayerCache* cache) {
    // Stacking the picture so far (opaque, of the same size) and the next
    // layer gives the pixels of stacking all layers at once, and a large
    // picture never holds all its layers at once.
    wxBitmap picture;
    ComposeLayers(
        helper, scene,
        [&picture, &scene](const wxBitmap& layer) {
            if (picture.IsOk()) {
                StackLayerOnto(picture, layer);
            } else {
                picture = StackLayers({layer}, scene.width, scene.height);
            }
        },
        cache);
    return picture;
}

std::vector<std::string> MissingLayers(PlotFile& plot, const Scene& scene) {
    std::vector<std::string> missing;
    for (const LayerDef* layer : ByPosition(scene.layers)) {
        if (layer->group == LayerGroup::Tree) {
            for (const wxString& tree : scene.trees) {
                if (plot.TreeSetFailed(tree)) {
                    missing.push_back(std::string(layer->key) + " (" + Utf8(tree) + ")");
                }
            }
            continue;
        }
        const std::optional<PlotSet> set = LayerPlotSet(*layer);
        if (set && plot.GetOpening().Lacks(*set)) {
            missing.push_back(layer->key);
        }
    }
    return missing;
}
