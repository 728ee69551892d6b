// The drawing half of an open plot: the plot frame (full extent and view),
// the highlighted stems, the stem colours, and the layer drawing that turns
// layer flags into masked layer bitmaps. The plot file it draws holds the data.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/string.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "data/PlotFile.h"
#include "data/PlotRect.h"
#include "render/LayerImage.h"
#include "render/LayerTable.h"
#include "render/PlotFrame.h"

class Canvas;

class RenderHelper {
  public:
    // Draws the given plot file, which it keeps; the view starts at the full extent.
    explicit RenderHelper(std::unique_ptr<PlotFile> plotFile);
    RenderHelper(const RenderHelper&) = delete;
    RenderHelper& operator=(const RenderHelper&) = delete;

    PlotFile& GetPlot() { return *plot; }
    const PlotFile& GetPlot() const { return *plot; }

    double GetFullXMin() const { return GetFullExtent().xMin; }
    double GetFullYMin() const { return GetFullExtent().yMin; }
    double GetFullXMax() const { return GetFullExtent().xMax; }
    double GetFullYMax() const { return GetFullExtent().yMax; }
    double GetViewXMin() const { return view.xMin; }
    double GetViewYMin() const { return view.yMin; }
    double GetViewXMax() const { return view.xMax; }
    double GetViewYMax() const { return view.yMax; }
    void SetViewXMin(double value) { view.xMin = value; }
    void SetViewYMin(double value) { view.yMin = value; }
    void SetViewXMax(double value) { view.xMax = value; }
    void SetViewYMax(double value) { view.yMax = value; }
    void SetView(double xMin, double yMin, double xMax, double yMax);
    const PlotRect& GetFullExtent() const { return plot->GetFullExtent(); }
    const PlotRect& GetView() const { return view; }
    // How every picture fits the view: proportions and which way is up.
    void SetFrameShape(const FrameShape& value) { shape = value; }
    const FrameShape& GetFrameShape() const { return shape; }
    // The frame of a picture of the given size at the given view.
    PlotFrame Frame(const PlotRect& layerView, int width, int height) const {
        return PlotFrame(layerView, width, height, shape);
    }

    // The plot file's answers, for the window's stem list and inspector.
    Database GetDatabase() { return plot->GetDatabase(); }
    std::vector<wxString> GetTreeNames() { return plot->GetTreeNames(); }
    std::vector<wxString> GetStemAttributeNames() { return plot->GetStemAttributeNames(); }
    double GetStemValue(const wxString& label, const wxString& column) {
        return plot->GetStemValue(label, column);
    }
    wxString FindNearestStem(double x, double y) { return plot->FindNearestStem(x, y); }

    void AddHighlightedStem(const wxString& name);
    void RemoveHighlightedStem(const wxString& name);
    const std::vector<wxString>& GetHighlightedStems() const { return highlightedStems; }

    // The plot layers or the tree's own layers of the flags, drawn at the
    // view into one bitmap of the window whose black pixels are masked.
    wxBitmap RenderPlotLayers(uint32_t flags, int width, int height);
    wxBitmap RenderStemLayers(uint32_t flags, const wxString& stemName, int width, int height);
    // One layer at a view of its own; a tree layer draws the given tree.
    wxBitmap RenderLayer(const LayerDef& layer, const wxString& tree, const PlotRect& layerView,
                         int width, int height);
    // The same without the toolkit: a layer image, black where nothing is drawn.
    LayerImage RenderLayerImage(const LayerDef& layer, const wxString& tree,
                                const PlotRect& layerView, int width, int height);
    // One layer drawn in the frame onto a canvas: an image, or a vector page
    // over what was drawn before.
    void DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                   Canvas& canvas);

    // Text is drawn this many times its size in points at 96 dots per inch:
    // the window follows the desktop's resolution, as its toolkit does.
    void SetTextScale(double scale) { textScale = scale; }
    double GetTextScale() const { return textScale; }
    // A tree's colour, used by its cloud; made up at the first need.
    wxColour GetStemColor(const wxString& stemName);
    void SetStemColor(const wxString& stemName, const wxColour& color);
    // Every tree's colour made or set so far.
    const std::map<wxString, wxColour>& GetStemColors() const { return stemColors; }

  private:
    std::unique_ptr<PlotFile> plot;
    PlotRect view;
    FrameShape shape;
    std::vector<wxString> highlightedStems;
    std::map<wxString, wxColour> stemColors;
    double textScale = 1.0;

    // What a tree's own layers draw from and with.
    struct TreeInputs {
        UptakeGridData* grid = nullptr;
        wxColour color;
    };
    TreeInputs TreeInputsFor(LayerGroup group, uint32_t flags, const wxString& tree);
    wxBitmap RenderGroup(LayerGroup group, uint32_t flags, const wxString& tree,
                         const PlotFrame& frame);
    // Each draws one layer onto the canvas, over what it holds.
    void DrawOneLayer(const LayerDef& layer, const PlotFrame& frame, const TreeInputs& tree,
                      Canvas& canvas);
    void DrawValueLayer(const LayerDef& layer, const PlotFrame& frame, const TreeInputs& tree,
                        Canvas& canvas);
    void DrawStemLayer(const LayerDef& layer, const PlotFrame& frame, Canvas& canvas);
};
