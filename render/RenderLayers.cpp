// The drawing half of RenderHelper: layer flags become masked layer bitmaps,
// each layer drawn as the layer table says.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "db/SqlText.h"
#include "render/BlockGridDataRenderer.h"
#include "render/CloudGridDataRenderer.h"
#include "render/ColorSettings.h"
#include "render/IsolineGridDataRenderer.h"
#include "render/PointDataRenderer.h"
#include "render/RenderHelper.h"
#include "render/ScaleGridDataRenderer.h"

namespace {

void AddColors(LayerCanvas& renderer, const Palette& colors) {
    for (const wxColour& color : colors) {
        renderer.AddColor(color);
    }
}

// The palette of a value layer under the current colour settings; a tree's
// own uptake keeps the built-in scale unless a colour map is chosen.
Palette SettingsPalette(LayerGroup group) {
    ColorSettings defaults;
    ColorSettings& settings = colorSettings != nullptr ? *colorSettings : defaults;
    return group == LayerGroup::Tree ? TreePalette(settings) : BuildPalette(settings);
}

// The fixed value range the settings give the layer's family, if any.
std::optional<ValueRange> SettingsRange(const LayerDef& layer) {
    const std::optional<RangeFamily> family = LayerRangeFamily(layer);
    if (colorSettings == nullptr || !family) {
        return std::nullopt;
    }
    return colorSettings->GetValueRange(*family);
}

// Draws a renderer with its colours set onto the bitmap drawn so far, which
// the renderer takes over (target is left empty) to spare a copy.
template <class Renderer, class Data>
wxBitmap DrawOver(Renderer& renderer, wxBitmap& target, Data& data) {
    renderer.TakeBitmap(target);
    return renderer.Render(data);
}

// The stems of the highlighted names, as one point data set.
Query HighlightQuery(const std::vector<wxString>& names) {
    std::string clause;
    for (const wxString& name : names) {
        if (!clause.empty()) {
            clause += " OR ";
        }
        clause += "Tree = " + SqlLiteral(Utf8(name));
    }
    return Query("SELECT * FROM stem WHERE %s", clause.c_str());
}

// The flags of every layer of the group.
uint32_t AllFlags(LayerGroup group) {
    uint32_t flags = 0;
    for (const LayerDef* layer : BitmapOrder(group)) {
        flags |= layer->flag;
    }
    return flags;
}

}  // namespace

wxBitmap RenderHelper::RenderPlotLayers(uint32_t flags, int width, int height) {
    return RenderGroup(LayerGroup::Plot, flags, wxString(), {view, width, height});
}

wxBitmap RenderHelper::RenderStemLayers(uint32_t flags, const wxString& stemName, int width,
                                        int height) {
    return RenderGroup(LayerGroup::Tree, flags, stemName, {view, width, height});
}

wxBitmap RenderHelper::RenderLayer(const LayerDef& layer, const wxString& tree,
                                   const PlotRect& layerView, int width, int height) {
    return RenderGroup(layer.group, layer.flag, tree, {layerView, width, height});
}

wxBitmap RenderHelper::RenderGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                                   LayerFrame frame) {
    frame.width = std::max(frame.width, 1);
    frame.height = std::max(frame.height, 1);
    TreeInputs inputs;
    if (group == LayerGroup::Tree) {
        // A tree gets its colour at its first drawing, whichever layers are drawn.
        inputs.color = GetStemColor(tree);
        inputs.grid = (flags & AllFlags(group)) != 0 ? plot->GetTreeGrid(tree) : nullptr;
    }
    wxBitmap result = NewLayerBitmap(frame.width, frame.height);
    for (const LayerDef* layer : BitmapOrder(group)) {
        if ((flags & layer->flag) != 0) {
            result = DrawLayer(*layer, result, frame, inputs);
        }
    }
    MaskBlack(result);
    return result;
}

wxBitmap RenderHelper::DrawLayer(const LayerDef& layer, wxBitmap& target, const LayerFrame& frame,
                                 const TreeInputs& tree) {
    switch (layer.style) {
        case LayerStyle::Blocks:
        case LayerStyle::Cloud:
        case LayerStyle::Isolines:
            return DrawValueLayer(layer, target, frame, tree);
        case LayerStyle::Scale: {
            const PlotRect& v = frame.view;
            ScaleGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                           frame.height);
            renderer.SetColor(LayerColor(layer));
            renderer.TakeBitmap(target);
            return renderer.Render(plot->GetNeighborGrid());
        }
        default:
            return DrawStemLayer(layer, target, frame);
    }
}

wxBitmap RenderHelper::DrawValueLayer(const LayerDef& layer, wxBitmap& target,
                                      const LayerFrame& frame, const TreeInputs& tree) {
    const std::optional<PlotSet> set = LayerPlotSet(layer);
    GridData* data = set ? plot->GetGrid(*set) : tree.grid;
    if (data == nullptr) {
        return target;
    }
    const PlotRect& v = frame.view;
    if (layer.style == LayerStyle::Blocks) {
        BlockGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
        AddColors(renderer, SettingsPalette(layer.group));
        renderer.SetFixedRange(SettingsRange(layer));
        return DrawOver(renderer, target, *data);
    }
    if (layer.style == LayerStyle::Cloud) {
        CloudGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
        renderer.SetColor(layer.group == LayerGroup::Tree ? tree.color : LayerColor(layer));
        return DrawOver(renderer, target, *data);
    }
    IsolineGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height,
                                     plot->GetDatabase());
    AddColors(renderer, SettingsPalette(layer.group));
    renderer.SetFixedRange(SettingsRange(layer));
    return DrawOver(renderer, target, *data);
}

wxBitmap RenderHelper::DrawStemLayer(const LayerDef& layer, wxBitmap& target,
                                     const LayerFrame& frame) {
    PointData* stemPoints = plot->GetStemPoints();
    if (!stemPoints || !plot->HasStemData()) {
        return target;
    }
    const PlotRect& v = frame.view;
    switch (layer.style) {
        case LayerStyle::StemDots: {
            PointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
            renderer.SetColor(LayerColor(layer));
            return DrawOver(renderer, target, *stemPoints);
        }
        case LayerStyle::StemLabels: {
            LabelPointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                            frame.height);
            renderer.SetColor(LayerColor(layer));
            return DrawOver(renderer, target, *stemPoints);
        }
        default:
            break;
    }
    // Discs sized by a stem column: every stem, or the highlighted ones.
    const bool highlight = layer.source == LayerSource::HighlightedStems;
    if (highlight && highlightedStems.empty()) {
        return target;
    }
    SizedPointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
    renderer.SetColor(LayerColor(layer));
    renderer.SetColumn(layer.sizeColumn);
    if (!highlight) {
        return DrawOver(renderer, target, *stemPoints);
    }
    PointData highlighted(plot->GetDatabase(), HighlightQuery(highlightedStems), "Tree", "Xrot0",
                          "Yrot0", ProgressMonitor(0, 0));
    return DrawOver(renderer, target, highlighted);
}

wxColour RenderHelper::GetStemColor(const wxString& stemName) {
    auto found = stemColors.find(stemName);
    if (found == stemColors.end()) {
        // Three successive draws of the shared, never seeded generator.
        int red = std::rand() % 255;
        int green = std::rand() % 255;
        int blue = std::rand() % 255;
        found = stemColors.emplace(stemName, wxColour(red, green, blue, 255)).first;
    }
    return found->second;
}

void RenderHelper::SetStemColor(const wxString& stemName, const wxColour& color) {
    stemColors[stemName] = color;
}
