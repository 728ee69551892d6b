// An open plot with the drawing operations of the layer flags, in the
// colours of the process-wide settings at each drawing: the plot file it
// keeps, its painter (view, frame shape, highlighted stems) and the colours
// of its trees. The window and the export draw through a painter with a
// style of their own; this serves whoever draws as the settings say.
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
#include "render/PictureStyle.h"
#include "render/PlotFrame.h"
#include "render/PlotPainter.h"

class Canvas;

class RenderHelper {
  public:
    // Draws the given plot file, which it keeps; the view starts at the full extent.
    explicit RenderHelper(std::unique_ptr<PlotFile> plotFile);
    RenderHelper(const RenderHelper&) = delete;
    RenderHelper& operator=(const RenderHelper&) = delete;

    PlotFile& GetPlot() { return *plot; }
    const PlotFile& GetPlot() const { return *plot; }
    PlotPainter& GetPainter() { return painter; }

    double GetFullXMin() const { return GetFullExtent().xMin; }
    double GetFullYMin() const { return GetFullExtent().yMin; }
    double GetFullXMax() const { return GetFullExtent().xMax; }
    double GetFullYMax() const { return GetFullExtent().yMax; }
    double GetViewXMin() const { return GetView().xMin; }
    double GetViewYMin() const { return GetView().yMin; }
    double GetViewXMax() const { return GetView().xMax; }
    double GetViewYMax() const { return GetView().yMax; }
    void SetViewXMin(double value);
    void SetViewYMin(double value);
    void SetViewXMax(double value);
    void SetViewYMax(double value);
    void SetView(double xMin, double yMin, double xMax, double yMax);
    const PlotRect& GetFullExtent() const { return plot->GetFullExtent(); }
    const PlotRect& GetView() const { return painter.GetView(); }
    void SetFrameShape(const FrameShape& value) { painter.SetFrameShape(value); }
    const FrameShape& GetFrameShape() const { return painter.GetFrameShape(); }
    // The frame of a picture of the given size at the given view.
    PlotFrame Frame(const PlotRect& layerView, int width, int height) const {
        return painter.Frame(layerView, width, height);
    }

    // The plot file's answers.
    Database GetDatabase() { return plot->GetDatabase(); }
    std::vector<wxString> GetTreeNames() { return plot->GetTreeNames(); }
    std::vector<wxString> GetStemAttributeNames() { return plot->GetStemAttributeNames(); }
    double GetStemValue(const wxString& label, const wxString& column) {
        return plot->GetStemValue(label, column);
    }
    wxString FindNearestStem(double x, double y) { return plot->FindNearestStem(x, y); }

    void AddHighlightedStem(const wxString& name) { painter.AddHighlightedStem(name); }
    void RemoveHighlightedStem(const wxString& name) { painter.RemoveHighlightedStem(name); }
    const std::vector<wxString>& GetHighlightedStems() const {
        return painter.GetHighlightedStems();
    }

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
    // One layer drawn in the frame onto a canvas.
    void DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                   Canvas& canvas);

    // Text is drawn this many times its size in points at 96 dots per inch.
    void SetTextScale(double scale) { textScale = scale; }
    double GetTextScale() const { return textScale; }
    // A tree's colour, used by its cloud; made up at the first need.
    wxColour GetStemColor(const wxString& stemName) { return treeColors->Get(stemName); }
    void SetStemColor(const wxString& stemName, const wxColour& color) {
        treeColors->Set(stemName, color);
    }
    const std::map<wxString, wxColour>& GetStemColors() const { return treeColors->All(); }
    // The style of a drawing now: the settings' colours, this plot's text
    // scale and trees' colours.
    PictureStyle Style() const;

  private:
    std::unique_ptr<PlotFile> plot;
    PlotPainter painter;
    std::shared_ptr<TreeColors> treeColors = std::make_shared<TreeColors>();
    double textScale = 1.0;
};
