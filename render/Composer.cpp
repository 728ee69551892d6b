#include "render/Composer.h"

#include <algorithm>

#include "base/Text.h"
#include "render/Canvas.h"
#include "render/LayerCache.h"
#include "render/LayerPixels.h"
#include "render/LayerStack.h"
#include "render/PlotPainter.h"
#include "render/RenderHelper.h"

namespace {

// One layer of the scene, from the cache or drawn now, with alpha; the
// cache, when given, keeps a layer drawn now as it is handed on.
wxBitmap SceneLayer(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                    const LayerDef& layer, const wxString& tree, LayerCache* cache) {
    if (cache) {
        const wxBitmap kept = cache->Layer(layer.group, tree, layer.flag);
        if (kept.IsOk()) {
            return kept;
        }
    }
    const wxBitmap drawn =
        painter.RenderAlphaLayer(layer, tree, scene.view, scene.width, scene.height, style);
    if (cache) {
        cache->KeepLayer(layer.group, tree, layer.flag, drawn);
    }
    return drawn;
}

}  // namespace

DerivedNeeds SceneNeeds(const Scene& scene) {
    DerivedNeeds needs;
    for (const LayerDef* layer : scene.layers) {
        needs.dominantTrees = needs.dominantTrees || layer->source == LayerSource::DominantTree;
        needs.dominantGroups = needs.dominantGroups || layer->source == LayerSource::DominantGroup;
        if (layer->group == LayerGroup::TreeGroup && needs.groups.empty()) {
            for (const wxString& group : scene.groups) {
                needs.groups.push_back(Utf8(group));
            }
        }
    }
    return needs;
}

void ForEachSceneLayer(PlotPainter& painter, const Scene& scene,
                       const std::function<void(const LayerDef&, const wxString& tree)>& visit) {
    // A map without pixels (a window not laid out yet) cannot hold a picture.
    if (scene.width <= 0 || scene.height <= 0) {
        return;
    }
    // The selected trees' data come from one pass over the grid, not one each.
    const bool treeLayers =
        std::any_of(scene.layers.begin(), scene.layers.end(),
                    [](const LayerDef* layer) { return layer->group == LayerGroup::Tree; });
    if (treeLayers && scene.trees.size() > 1) {
        painter.GetPlot().GatherTrees(scene.trees);
    }
    painter.GetPlot().GatherDerived(SceneNeeds(scene));
    for (const LayerDef* layer : ByPosition(scene.layers)) {
        if (layer->group == LayerGroup::Plot) {
            visit(*layer, wxString());
            continue;
        }
        for (const wxString& each : layer->group == LayerGroup::Tree ? scene.trees : scene.groups) {
            visit(*layer, each);
        }
    }
    visit(HighlightLayer(), wxString());
}

void ComposeLayers(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                   const std::function<void(const wxBitmap&)>& take, LayerCache* cache) {
    ForEachSceneLayer(painter, scene, [&](const LayerDef& layer, const wxString& tree) {
        // The overlay changes with every selection: it is never kept.
        if (&layer == &HighlightLayer()) {
            take(painter.RenderLayer(layer, tree, scene.view, scene.width, scene.height, style));
        } else {
            take(SceneLayer(painter, scene, style, layer, tree, cache));
        }
    });
}

void ComposeLayers(RenderHelper& helper, const Scene& scene,
                   const std::function<void(const wxBitmap&)>& take, LayerCache* cache) {
    ComposeLayers(helper.GetPainter(), scene, helper.Style(), take, cache);
}

wxBitmap ComposePicture(RenderHelper& helper, const Scene& scene, LayerCache* cache) {
    return ComposePicture(helper.GetPainter(), scene, helper.Style(), cache);
}

wxBitmap ComposePicture(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                        LayerCache* cache) {
    // Stacking the picture so far (opaque, of the same size) and the next
    // layer gives the pixels of stacking all layers at once, and a large
    // picture never holds all its layers at once.
    wxBitmap picture;
    ComposeLayers(
        painter, scene, style,
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

void ComposeOnto(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                 LayerImage& picture) {
    if (!picture.IsOk()) {
        return;
    }
    // One layer at a time, so that a large picture never holds all its layers.
    ForEachSceneLayer(painter, scene, [&](const LayerDef& layer, const wxString& tree) {
        CoverWith(picture, painter.RenderLayerImage(layer, tree, scene.view, scene.width,
                                                    scene.height, style));
    });
}

namespace {

// The pixels of a cloud layer the window keeps at the scene's size.
LayerImage KeptCloud(const LayerCache* cache, const Scene& scene, const LayerDef& layer,
                     const wxString& tree) {
    if (!cache || layer.style != LayerStyle::Cloud) {
        return LayerImage();
    }
    const wxBitmap kept = cache->Layer(layer.group, tree, layer.flag);
    if (!kept.IsOk() || kept.GetWidth() != scene.width || kept.GetHeight() != scene.height) {
        return LayerImage();
    }
    LayerImage image(scene.width, scene.height);
    LayerPixels from(kept);
    LayerPixels to(image.Surface());
    if (!from.IsOk() || !to.IsOk()) {
        return LayerImage();
    }
    for (int y = 0; y < to.Height(); ++y) {
        for (int x = 0; x < to.Width(); ++x) {
            to.Row(y)[x] = from.Unpremultiplied(from.Row(y)[x]);
        }
    }
    return image;
}

}  // namespace

void ComposeVector(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                   Canvas& page, const LayerCache* cache) {
    const PlotFrame frame = painter.Frame(scene.view, scene.width, scene.height, style.pixelRatio);
    page.PushClip(0, 0, scene.width, scene.height);
    page.LeaveOutBlack(true);
    ForEachSceneLayer(painter, scene, [&](const LayerDef& layer, const wxString& tree) {
        const LayerImage kept = KeptCloud(cache, scene, layer, tree);
        if (kept.IsOk()) {
            page.PutPixels(kept);
        } else {
            painter.DrawLayer(layer, tree, frame, page, style);
        }
    });
    page.LeaveOutBlack(false);
    page.PopClip();
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
