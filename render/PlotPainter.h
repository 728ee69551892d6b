// Draws an open plot: where its map looks (the view and the frame's shape),
// the stems it highlights, and the drawing of its layers in a given style
// into masked layer bitmaps, layer images or vector pages. The plot file
// holds the data and outlives its painter.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "data/PlotFile.h"
#include "data/PlotRect.h"
#include "render/LayerImage.h"
#include "render/LayerTable.h"
#include "render/PictureStyle.h"
#include "render/PlotFrame.h"

class Canvas;
class GridData;
class HeldGridData;
class ValueClasses;
class Classifier;
class PlotComparison;

// The classes of a value layer's cells in the style: null when the style
// colours them by the colour scale's own rule without a gradient. A
// change's classes always run both ways from 0.
std::shared_ptr<const Classifier> LayerClasses(PlotFile& plot, GridData& data,
                                               const LayerDef& layer, const PictureStyle& style);

// The set a dominant layer draws, once gathered; null before.
HeldGridData* DominantSet(PlotFile& plot, const LayerDef& layer);
// The colour of each tag of a dominant layer's set (a tree's colour, or a
// group's), invalid for a tag no cell bears. Trees get their colours in
// column order, so that the same picture asked for again is the same.
std::vector<wxColour> DominantColors(PlotFile& plot, const LayerDef& layer,
                                     const PictureStyle& style);
// The colour of a group of the plot's grouping, by name.
wxColour GroupColorOf(PlotFile& plot, const wxString& group);

class PlotPainter {
  public:
    // The view starts at the plot's full extent.
    explicit PlotPainter(PlotFile& plot);

    PlotFile& GetPlot() const { return plot; }
    // The plot compared with this one, whose changes the change layers
    // draw; null, and those layers empty, without one. Not owned.
    void SetComparison(PlotComparison* value) { comparison = value; }
    PlotComparison* GetComparison() const { return comparison; }
    // The set a value layer draws: the plot's, the given tree's, or a change.
    GridData* LayerData(const LayerDef& layer, const wxString& tree);
    const PlotRect& GetFullExtent() const { return plot.GetFullExtent(); }
    const PlotRect& GetView() const { return view; }
    void SetView(const PlotRect& value) { view = value; }
    // How every picture fits the view: proportions and which way is up.
    void SetFrameShape(const FrameShape& value) { shape = value; }
    const FrameShape& GetFrameShape() const { return shape; }
    // The frame of a picture of the given size (in its own pixels) at the given view.
    PlotFrame Frame(const PlotRect& layerView, int width, int height,
                    double pixelRatio = 1.0) const {
        return PlotFrame(layerView, width, height, shape, pixelRatio);
    }

    // The stems the overlay draws, in the order they were highlighted, each once.
    void AddHighlightedStem(const wxString& name);
    void RemoveHighlightedStem(const wxString& name);
    void ClearHighlightedStems() { highlightedStems.clear(); }
    const std::vector<wxString>& GetHighlightedStems() const { return highlightedStems; }

    // The layers of the group and flags (a tree layer draws the given tree)
    // into one bitmap of the frame whose black pixels are masked.
    wxBitmap RenderGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                         const PlotFrame& frame, const PictureStyle& style);
    // One layer at a view of its own, the size in the style's pixels.
    wxBitmap RenderLayer(const LayerDef& layer, const wxString& tree, const PlotRect& layerView,
                         int width, int height, const PictureStyle& style);
    // The same converted for alpha drawing, as ToAlphaBitmap gives it from
    // that bitmap, without the masked bitmap between.
    wxBitmap RenderAlphaLayer(const LayerDef& layer, const wxString& tree,
                              const PlotRect& layerView, int width, int height,
                              const PictureStyle& style);
    // The same without the toolkit: a layer image, black where nothing is drawn.
    LayerImage RenderLayerImage(const LayerDef& layer, const wxString& tree,
                                const PlotRect& layerView, int width, int height,
                                const PictureStyle& style);
    // One layer drawn in the frame onto a canvas: an image, or a vector page
    // over what was drawn before.
    void DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                   Canvas& canvas, const PictureStyle& style);

  private:
    // What a tree's (or a group's) own layers draw from and with.
    struct TreeInputs {
        wxString label;
        GridData* grid = nullptr;
        wxColour color;
    };
    // RenderGroup's bitmap before its black is masked.
    wxBitmap DrawGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                       const PlotFrame& frame, const PictureStyle& style);
    TreeInputs TreeInputsFor(LayerGroup group, uint32_t flags, const wxString& tree,
                             const PictureStyle& style);
    // Each draws one layer onto the canvas, over what it holds.
    void DrawOneLayer(const LayerDef& layer, const PlotFrame& frame, const TreeInputs& tree,
                      Canvas& canvas, const PictureStyle& style);
    void DrawValueLayer(const LayerDef& layer, const PlotFrame& frame, const TreeInputs& tree,
                        Canvas& canvas, const PictureStyle& style);
    void DrawStemLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas);
    void DrawDominantLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas,
                           const PictureStyle& style);

    PlotFile& plot;
    PlotComparison* comparison = nullptr;
    PlotRect view;
    FrameShape shape;
    std::vector<wxString> highlightedStems;
};
