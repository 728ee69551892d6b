// The drawing half of RenderHelper: layer flags become masked layer bitmaps.
#include <algorithm>
#include <cmath>
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

wxColour PlotCloudColor(uint32_t flag) {
    return flag == LAYER_UPTAKE_CLOUDS ? wxColour(255, 0, 0) : wxColour(0, 0, 255);
}

GridData* RenderHelper::GetPlotLayerGrid(uint32_t flag) {
    const bool uptake =
        flag == LAYER_UPTAKE_BLOCKS || flag == LAYER_UPTAKE_CLOUDS || flag == LAYER_UPTAKE_ISOLINES;
    return plot->GetGrid(uptake ? PlotSet::Uptake : PlotSet::TreeCount);
}

namespace {

// The order in which the plot layers are stacked within one bitmap.
const uint32_t kPlotLayerOrder[] = {
    LAYER_UPTAKE_BLOCKS,   LAYER_COUNT_BLOCKS,   LAYER_UPTAKE_CLOUDS, LAYER_COUNT_CLOUDS,
    LAYER_UPTAKE_ISOLINES, LAYER_COUNT_ISOLINES, LAYER_STEMS_CROWN,   LAYER_STEMS_PLAIN,
    LAYER_STEMS_DBH,       LAYER_STEM_LABELS,    LAYER_HIGHLIGHT,     LAYER_SCALE};

const uint32_t kStemLayerOrder[] = {STEM_LAYER_BLOCKS, STEM_LAYER_CLOUD, STEM_LAYER_ISOLINES};

const wxColour kCrownColor(0, 150, 0);
const wxColour kPlainStemColor(200, 100, 0);
const wxColour kDbhColor(150, 60, 0);
// Not black: black is the transparent colour of every layer.
const wxColour kLabelColor(1, 1, 1);
const wxColour kHighlightColor(255, 255, 255);
const wxColour kScaleColor(255, 255, 255);

void AddColors(LayerCanvas& renderer, const Palette& colors) {
    for (const wxColour& color : colors) {
        renderer.AddColor(color);
    }
}

// The palette of a value layer under the current colour settings.
Palette SettingsPalette() {
    if (colorSettings != nullptr) {
        return BuildPalette(*colorSettings);
    }
    ColorSettings defaults;
    return BuildPalette(defaults);
}

// The palette of a tree's own value layers.
Palette TreeSettingsPalette() {
    if (colorSettings != nullptr) {
        return TreePalette(*colorSettings);
    }
    return BuiltInPalette();
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

}  // namespace

wxBitmap RenderHelper::RenderPlotLayers(uint32_t flags, int width, int height) {
    // Every renderer of this call sees the same view.
    const LayerFrame frame{view, std::max(width, 1), std::max(height, 1)};
    wxBitmap result = NewLayerBitmap(frame.width, frame.height);
    for (uint32_t flag : kPlotLayerOrder) {
        if ((flags & flag) != 0) {
            result = DrawPlotLayer(flag, result, frame);
        }
    }
    MaskBlack(result);
    return result;
}

wxBitmap RenderHelper::DrawPlotLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame) {
    switch (flag) {
        case LAYER_UPTAKE_BLOCKS:
        case LAYER_COUNT_BLOCKS:
        case LAYER_UPTAKE_CLOUDS:
        case LAYER_COUNT_CLOUDS:
        case LAYER_UPTAKE_ISOLINES:
        case LAYER_COUNT_ISOLINES:
            return DrawGridLayer(flag, target, frame);
        case LAYER_SCALE: {
            const PlotRect& v = frame.view;
            ScaleGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                           frame.height);
            renderer.SetColor(kScaleColor);
            renderer.TakeBitmap(target);
            return renderer.Render(plot->GetNeighborGrid());
        }
        default:
            return DrawStemMapLayer(flag, target, frame);
    }
}

wxBitmap RenderHelper::DrawGridLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame) {
    GridData* data = GetPlotLayerGrid(flag);
    if (data == nullptr) {
        return target;
    }
    const PlotRect& v = frame.view;
    if (flag == LAYER_UPTAKE_BLOCKS || flag == LAYER_COUNT_BLOCKS) {
        BlockGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
        AddColors(renderer, SettingsPalette());
        return DrawOver(renderer, target, *data);
    }
    if (flag == LAYER_UPTAKE_CLOUDS || flag == LAYER_COUNT_CLOUDS) {
        CloudGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
        renderer.SetColor(PlotCloudColor(flag));
        return DrawOver(renderer, target, *data);
    }
    IsolineGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height,
                                     plot->GetDatabase());
    AddColors(renderer, SettingsPalette());
    return DrawOver(renderer, target, *data);
}

wxBitmap RenderHelper::DrawStemMapLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame) {
    PointData* stemPoints = plot->GetStemPoints();
    if (!stemPoints || !plot->HasStemData()) {
        return target;
    }
    const PlotRect& v = frame.view;
    switch (flag) {
        case LAYER_STEMS_PLAIN: {
            PointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width, frame.height);
            renderer.SetColor(kPlainStemColor);
            return DrawOver(renderer, target, *stemPoints);
        }
        case LAYER_STEM_LABELS: {
            LabelPointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                            frame.height);
            renderer.SetColor(kLabelColor);
            return DrawOver(renderer, target, *stemPoints);
        }
        case LAYER_HIGHLIGHT: {
            if (highlightedStems.empty()) {
                return target;
            }
            PointData highlighted(plot->GetDatabase(), HighlightQuery(highlightedStems), "Tree",
                                  "Xrot0", "Yrot0", ProgressMonitor(0, 0));
            SizedPointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                            frame.height);
            renderer.SetColor(kHighlightColor);
            return DrawOver(renderer, target, highlighted);
        }
        default: {  // the crown and DBH maps: discs sized by a stem column
            const bool crown = flag == LAYER_STEMS_CROWN;
            SizedPointDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, frame.width,
                                            frame.height);
            renderer.SetColor(crown ? kCrownColor : kDbhColor);
            renderer.SetColumn(crown ? "Crown_d_m" : "dbh");
            return DrawOver(renderer, target, *stemPoints);
        }
    }
}

wxBitmap RenderHelper::RenderStemLayers(uint32_t flags, const wxString& stemName, int width,
                                        int height) {
    const PlotRect v = view;
    wxColour stemColor = GetStemColor(stemName);
    width = std::max(width, 1);
    height = std::max(height, 1);
    wxBitmap result = NewLayerBitmap(width, height);

    UptakeGridData* data = (flags & (STEM_LAYER_BLOCKS | STEM_LAYER_CLOUD | STEM_LAYER_ISOLINES))
                               ? plot->GetTreeGrid(stemName)
                               : nullptr;
    for (uint32_t flag : kStemLayerOrder) {
        if (!data || (flags & flag) == 0) {
            continue;
        }
        switch (flag) {
            case STEM_LAYER_BLOCKS: {
                BlockGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, width, height);
                // A tree's own uptake keeps the built-in scale unless a colour map is chosen.
                AddColors(renderer, TreeSettingsPalette());
                result = DrawOver(renderer, result, *data);
                break;
            }
            case STEM_LAYER_CLOUD: {
                CloudGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, width, height);
                renderer.SetColor(stemColor);
                result = DrawOver(renderer, result, *data);
                break;
            }
            case STEM_LAYER_ISOLINES: {
                IsolineGridDataRenderer renderer(v.xMin, v.yMin, v.xMax, v.yMax, width, height,
                                                 plot->GetDatabase());
                AddColors(renderer, TreeSettingsPalette());
                result = DrawOver(renderer, result, *data);
                break;
            }
        }
    }
    MaskBlack(result);
    return result;
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
