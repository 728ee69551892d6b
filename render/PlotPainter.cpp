// Layer flags become masked layer bitmaps or layer images, each layer drawn
// as the layer table says, in the colours and sizes of the style.
#include "render/PlotPainter.h"

#include <algorithm>
#include <string>

#include "base/Text.h"
#include "data/PlotComparison.h"
#include "db/SqlText.h"
#include "render/BlockGridDataRenderer.h"
#include "render/Canvas.h"
#include "render/CloudGridDataRenderer.h"
#include "render/DivergingClasses.h"
#include "render/DominantBlockRenderer.h"
#include "render/GroupColors.h"
#include "render/IsolineGridDataRenderer.h"
#include "render/LayerStack.h"
#include "render/PointDataRenderer.h"
#include "render/ScaleGridDataRenderer.h"

namespace {

void AddColors(LayerCanvas& renderer, const Palette& colors) {
    for (const wxColour& color : colors) {
        renderer.AddColor(color);
    }
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

// A canvas of the frame's size with the style's text and pen sizes.
Canvas StyledCanvas(cairo_t* context, const PlotFrame& frame, const PictureStyle& style) {
    return Canvas(context, frame.Width(), frame.Height(), style.textScale, style.pixelRatio);
}

}  // namespace

std::shared_ptr<const Classifier> LayerClasses(PlotFile& plot, GridData& data,
                                               const LayerDef& layer, const PictureStyle& style) {
    if (!style.NeedsClasses(layer)) {
        return nullptr;
    }
    const ClassRule rule = style.ClassRuleOf(layer);
    const bool change = IsChangeLayer(layer);
    ValueDistribution values{data.GetMinValue(), data.GetMaxValue(), nullptr};
    if (rule != ClassRule::Equal) {
        // A change is worked out in memory and read there quickly.
        values.sorted = change
                            ? std::make_shared<const std::vector<double>>(SortedNonZeroValues(data))
                            : plot.SortedValues(data);
    }
    const int classes = static_cast<int>(style.PaletteOf(layer).size());
    if (change) {
        return std::make_shared<const DivergingClasses>(rule, classes, values,
                                                        style.RangeOf(layer));
    }
    return std::make_shared<const ValueClasses>(rule, classes, values, style.RangeOf(layer));
}

HeldGridData* DominantSet(PlotFile& plot, const LayerDef& layer) {
    DerivedGrids& derived = plot.GetDerived();
    return layer.source == LayerSource::DominantTree    ? derived.DominantTrees()
           : layer.source == LayerSource::DominantGroup ? derived.DominantGroups()
                                                        : nullptr;
}

std::vector<wxColour> DominantColors(PlotFile& plot, const LayerDef& layer,
                                     const PictureStyle& style) {
    std::vector<wxColour> colors;
    const HeldGridData* set = DominantSet(plot, layer);
    if (!set) {
        return colors;
    }
    const std::vector<size_t>& counts = set->TagCounts();
    const bool byTree = layer.source == LayerSource::DominantTree;
    colors.resize(counts.size());
    for (size_t tag = 0; tag < counts.size(); ++tag) {
        if (counts[tag] > 0) {
            const DerivedGrids& derived = plot.GetDerived();
            colors[tag] = byTree ? style.TreeColor(wxString::FromUTF8(derived.TreeOfTag(int(tag))))
                                 : GroupColor(int(tag));
        }
    }
    return colors;
}

wxColour GroupColorOf(PlotFile& plot, const wxString& group) {
    const TreeGroups* groups = plot.GetTreeGroups();
    return GroupColor(groups ? groups->Find(Utf8(group)) : -1);
}

PlotPainter::PlotPainter(PlotFile& plot) : plot(plot), view(plot.GetFullExtent()) {}

void PlotPainter::AddHighlightedStem(const wxString& name) {
    if (std::find(highlightedStems.begin(), highlightedStems.end(), name) ==
        highlightedStems.end()) {
        highlightedStems.push_back(name);
    }
}

void PlotPainter::RemoveHighlightedStem(const wxString& name) {
    auto found = std::find(highlightedStems.begin(), highlightedStems.end(), name);
    if (found != highlightedStems.end()) {
        highlightedStems.erase(found);
    }
}

wxBitmap PlotPainter::RenderLayer(const LayerDef& layer, const wxString& tree,
                                  const PlotRect& layerView, int width, int height,
                                  const PictureStyle& style) {
    return RenderGroup(layer.group, layer.flag, tree,
                       Frame(layerView, width, height, style.pixelRatio), style);
}

wxBitmap PlotPainter::RenderAlphaLayer(const LayerDef& layer, const wxString& tree,
                                       const PlotRect& layerView, int width, int height,
                                       const PictureStyle& style) {
    wxBitmap drawn = DrawGroup(layer.group, layer.flag, tree,
                               Frame(layerView, width, height, style.pixelRatio), style);
    if (ConvertToAlpha(drawn)) {
        return drawn;
    }
    MaskBlack(drawn);
    return ToAlphaBitmap(drawn);
}

LayerImage PlotPainter::RenderLayerImage(const LayerDef& layer, const wxString& tree,
                                         const PlotRect& layerView, int width, int height,
                                         const PictureStyle& style) {
    const PlotFrame frame =
        Frame(layerView, std::max(width, 1), std::max(height, 1), style.pixelRatio);
    LayerImage image(frame.Width(), frame.Height());
    if (image.IsOk()) {
        cairo_t* context = cairo_create(image.Surface());
        {
            Canvas canvas = StyledCanvas(context, frame, style);
            DrawLayer(layer, tree, frame, canvas, style);
        }
        cairo_destroy(context);
    }
    return image;
}

void PlotPainter::DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                            Canvas& canvas, const PictureStyle& style) {
    DrawOneLayer(layer, frame, TreeInputsFor(layer.group, layer.flag, tree, style), canvas, style);
}

PlotPainter::TreeInputs PlotPainter::TreeInputsFor(LayerGroup group, uint32_t flags,
                                                   const wxString& tree,
                                                   const PictureStyle& style) {
    TreeInputs inputs;
    inputs.label = tree;
    if (group == LayerGroup::Tree) {
        // A tree gets its colour at its first drawing, whichever layers are drawn.
        inputs.color = style.TreeColor(tree);
        inputs.grid = (flags & AllFlags(group)) != 0 ? plot.GetTreeGrid(tree) : nullptr;
    } else if (group == LayerGroup::TreeGroup) {
        inputs.color = GroupColorOf(plot, tree);
        inputs.grid = plot.GetDerived().GroupGrid(Utf8(tree));
    }
    return inputs;
}

wxBitmap PlotPainter::RenderGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                                  const PlotFrame& frame, const PictureStyle& style) {
    wxBitmap result = DrawGroup(group, flags, tree, frame, style);
    MaskBlack(result);
    return result;
}

wxBitmap PlotPainter::DrawGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                                const PlotFrame& layerFrame, const PictureStyle& style) {
    const PlotFrame frame(layerFrame.View(), std::max(layerFrame.Width(), 1),
                          std::max(layerFrame.Height(), 1), layerFrame.Shape(),
                          layerFrame.PixelRatio());
    const TreeInputs inputs = TreeInputsFor(group, flags, tree, style);
    wxBitmap result = NewLayerBitmap(frame.Width(), frame.Height());
    cairo_t* context = result.IsOk() ? result.CairoCreate() : nullptr;
    if (context) {
        {
            Canvas canvas = StyledCanvas(context, frame, style);
            for (const LayerDef* layer : BitmapOrder(group)) {
                if ((flags & layer->flag) != 0) {
                    DrawOneLayer(*layer, frame, inputs, canvas, style);
                }
            }
        }
        cairo_destroy(context);
    }
    return result;
}

void PlotPainter::DrawOneLayer(const LayerDef& layer, const PlotFrame& frame,
                               const TreeInputs& tree, Canvas& canvas, const PictureStyle& style) {
    switch (layer.style) {
        case LayerStyle::Blocks:
        case LayerStyle::Cloud:
        case LayerStyle::Isolines:
            DrawValueLayer(layer, frame, tree, canvas, style);
            return;
        case LayerStyle::Dominant:
        case LayerStyle::DominantShare:
            DrawDominantLayer(layer, frame, canvas, style);
            return;
        case LayerStyle::Scale: {
            ScaleGridDataRenderer renderer(frame);
            renderer.SetColor(LayerColor(layer));
            renderer.Draw(canvas, plot.GetNeighborGrid());
            return;
        }
        default:
            DrawStemLayer(layer, frame, canvas);
    }
}

void PlotPainter::DrawValueLayer(const LayerDef& layer, const PlotFrame& frame,
                                 const TreeInputs& tree, Canvas& canvas,
                                 const PictureStyle& style) {
    GridData* data = IsChangeLayer(layer)  ? LayerData(layer, tree.label)
                     : LayerPlotSet(layer) ? plot.GetGrid(*LayerPlotSet(layer))
                                           : tree.grid;
    if (data == nullptr) {
        return;
    }
    const std::shared_ptr<const Classifier> classes = LayerClasses(plot, *data, layer, style);
    if (layer.style == LayerStyle::Blocks) {
        BlockGridDataRenderer renderer(frame);
        AddColors(renderer, style.PaletteOf(layer));
        renderer.SetFixedRange(style.RangeOf(layer));
        renderer.SetClasses(classes, style.colors.smoothGradient);
        renderer.Draw(canvas, *data);
    } else if (layer.style == LayerStyle::Cloud) {
        CloudGridDataRenderer renderer(frame);
        renderer.SetColor(layer.group != LayerGroup::Plot ? tree.color : LayerColor(layer));
        renderer.SetClasses(classes);
        renderer.Draw(canvas, *data);
    } else {
        IsolineGridDataRenderer renderer(frame, plot.GetDatabase());
        AddColors(renderer, style.PaletteOf(layer));
        renderer.SetFixedRange(style.RangeOf(layer));
        renderer.SetClasses(classes);
        renderer.Draw(canvas, *data);
    }
}

void PlotPainter::DrawDominantLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas,
                                    const PictureStyle& style) {
    HeldGridData* data = DominantSet(plot, layer);
    if (data == nullptr) {
        return;
    }
    DominantBlockRenderer renderer(frame);
    renderer.SetTagColors(DominantColors(plot, layer, style));
    renderer.SetShaded(layer.style == LayerStyle::DominantShare);
    renderer.Draw(canvas, *data);
}

GridData* PlotPainter::LayerData(const LayerDef& layer, const wxString& tree) {
    switch (layer.source) {
        case LayerSource::Uptake:
            return plot.GetGrid(PlotSet::Uptake);
        case LayerSource::TreeCount:
            return plot.GetGrid(PlotSet::TreeCount);
        case LayerSource::TreeUptake:
            return plot.GetTreeGrid(tree);
        case LayerSource::UptakeDiff:
            return comparison ? comparison->GetUptakeDiff() : nullptr;
        case LayerSource::CountDiff:
            return comparison ? comparison->GetCountDiff() : nullptr;
        case LayerSource::TreeDiff:
            return comparison ? comparison->GetTreeDiff(tree) : nullptr;
        default:
            return nullptr;
    }
}

void PlotPainter::DrawStemLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas) {
    PointData* stemPoints = plot.GetStemPoints();
    if (!stemPoints || !plot.HasStemData()) {
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
    PointData highlighted(plot.GetDatabase(), HighlightQuery(highlightedStems), "Tree", "Xrot0",
                          "Yrot0", ProgressMonitor(0, 0));
    renderer.Draw(canvas, highlighted);
}
