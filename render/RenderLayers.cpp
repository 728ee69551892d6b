// The drawing half of RenderHelper: layer flags become masked layer bitmaps
// of the window or layer images, each layer drawn as the layer table says.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "db/SqlText.h"
#include "render/BlockGridDataRenderer.h"
#include "render/Canvas.h"
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
    return RenderGroup(LayerGroup::Plot, flags, wxString(), Frame(view, width, height));
}

wxBitmap RenderHelper::RenderStemLayers(uint32_t flags, const wxString& stemName, int width,
                                        int height) {
    return RenderGroup(LayerGroup::Tree, flags, stemName, Frame(view, width, height));
}

wxBitmap RenderHelper::RenderLayer(const LayerDef& layer, const wxString& tree,
                                   const PlotRect& layerView, int width, int height) {
    return RenderGroup(layer.group, layer.flag, tree, Frame(layerView, width, height));
}

LayerImage RenderHelper::RenderLayerImage(const LayerDef& layer, const wxString& tree,
                                          const PlotRect& layerView, int width, int height) {
    const PlotFrame frame = Frame(layerView, std::max(width, 1), std::max(height, 1));
    LayerImage image(frame.Width(), frame.Height());
    if (image.IsOk()) {
        cairo_t* context = cairo_create(image.Surface());
        {
            Canvas canvas(context, frame.Width(), frame.Height(), textScale);
            DrawLayer(layer, tree, frame, canvas);
        }
        cairo_destroy(context);
    }
    return image;
}

void RenderHelper::DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                             Canvas& canvas) {
    DrawOneLayer(layer, frame, TreeInputsFor(layer.group, layer.flag, tree), canvas);
}

RenderHelper::TreeInputs RenderHelper::TreeInputsFor(LayerGroup group, uint32_t flags,
                                                     const wxString& tree) {
    TreeInputs inputs;
    if (group == LayerGroup::Tree) {
        // A tree gets its colour at its first drawing, whichever layers are drawn.
        inputs.color = GetStemColor(tree);
        inputs.grid = (flags & AllFlags(group)) != 0 ? plot->GetTreeGrid(tree) : nullptr;
    }
    return inputs;
}

wxBitmap RenderHelper::RenderGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                                   const PlotFrame& layerFrame) {
    const PlotFrame frame(layerFrame.View(), std::max(layerFrame.Width(), 1),
                          std::max(layerFrame.Height(), 1), layerFrame.Shape());
    const TreeInputs inputs = TreeInputsFor(group, flags, tree);
    wxBitmap result = NewLayerBitmap(frame.Width(), frame.Height());
    cairo_t* context = result.IsOk() ? result.CairoCreate() : nullptr;
    if (context) {
        {
            Canvas canvas(context, frame.Width(), frame.Height(), textScale);
            for (const LayerDef* layer : BitmapOrder(group)) {
                if ((flags & layer->flag) != 0) {
                    DrawOneLayer(*layer, frame, inputs, canvas);
                }
            }
        }
        cairo_destroy(context);
    }
    MaskBlack(result);
    return result;
}

void RenderHelper::DrawOneLayer(const LayerDef& layer, const PlotFrame& frame,
                                const TreeInputs& tree, Canvas& canvas) {
    switch (layer.style) {
        case LayerStyle::Blocks:
        case LayerStyle::Cloud:
        case LayerStyle::Isolines:
            DrawValueLayer(layer, frame, tree, canvas);
            return;
        case LayerStyle::Scale: {
            ScaleGridDataRenderer renderer(frame);
            renderer.SetColor(LayerColor(layer));
            renderer.Draw(canvas, plot->GetNeighborGrid());
            return;
        }
        default:
            DrawStemLayer(layer, frame, canvas);
    }
}

void RenderHelper::DrawValueLayer(const LayerDef& layer, const PlotFrame& frame,
                                  const TreeInputs& tree, Canvas& canvas) {
    const std::optional<PlotSet> set = LayerPlotSet(layer);
    GridData* data = set ? plot->GetGrid(*set) : tree.grid;
    if (data == nullptr) {
        return;
    }
    if (layer.style == LayerStyle::Blocks) {
        BlockGridDataRenderer renderer(frame);
        AddColors(renderer, SettingsPalette(layer.group));
        renderer.SetFixedRange(SettingsRange(layer));
        renderer.Draw(canvas, *data);
    } else if (layer.style == LayerStyle::Cloud) {
        CloudGridDataRenderer renderer(frame);
        renderer.SetColor(layer.group == LayerGroup::Tree ? tree.color : LayerColor(layer));
        renderer.Draw(canvas, *data);
    } else {
        IsolineGridDataRenderer renderer(frame, plot->GetDatabase());
        AddColors(renderer, SettingsPalette(layer.group));
        renderer.SetFixedRange(SettingsRange(layer));
        renderer.Draw(canvas, *data);
    }
}

void RenderHelper::DrawStemLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas) {
    PointData* stemPoints = plot->GetStemPoints();
    if (!stemPoints || !plot->HasStemData()) {
        return;
    }
    switch (layer.style) {
        case LayerStyle::StemDots: {
            PointDataRenderer renderer(frame);
            renderer.SetColor(LayerColor(layer));
            renderer.Draw(canvas, *stemPoints);
            return;
        }
        case LayerStyle::StemLabels: {
            LabelPointDataRenderer renderer(frame);
            renderer.SetColor(LayerColor(layer));
            renderer.Draw(canvas, *stemPoints);
            return;
        }
        default:
            break;
    }
    // Discs sized by a stem column: every stem, or the highlighted ones.
    const bool highlight = layer.source == LayerSource::HighlightedStems;
    if (highlight && highlightedStems.empty()) {
        return;
    }
    SizedPointDataRenderer renderer(frame);
    renderer.SetColor(LayerColor(layer));
    renderer.SetColumn(layer.sizeColumn);
    if (!highlight) {
        renderer.Draw(canvas, *stemPoints);
        return;
    }
    PointData highlighted(plot->GetDatabase(), HighlightQuery(highlightedStems), "Tree", "Xrot0",
                          "Yrot0", ProgressMonitor(0, 0));
    renderer.Draw(canvas, highlighted);
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
