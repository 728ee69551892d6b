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

// Plot-layer flags (group 1).
enum PlotLayerFlag : uint32_t {
    LAYER_UPTAKE_BLOCKS = 1,
    LAYER_COUNT_BLOCKS = 2,
    LAYER_UPTAKE_ISOLINES = 4,
    LAYER_COUNT_ISOLINES = 8,
    LAYER_STEMS_PLAIN = 16,
    LAYER_STEMS_DBH = 32,
    LAYER_STEMS_CROWN = 64,
    LAYER_STEM_LABELS = 128,
    LAYER_SCALE = 256,
    LAYER_UPTAKE_CLOUDS = 512,
    LAYER_COUNT_CLOUDS = 1024,
    LAYER_HIGHLIGHT = 2048,
};

// The dot colour of a plot cloud layer: the uptake's or the tree count's.
wxColour PlotCloudColor(uint32_t flag);

// Individual stem-layer flags (group 2).
enum StemLayerFlag : uint32_t {
    STEM_LAYER_BLOCKS = 1,
    STEM_LAYER_ISOLINES = 2,
    STEM_LAYER_CLOUD = 4,
};

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

    wxBitmap RenderPlotLayers(uint32_t flags, int width, int height);
    wxBitmap RenderStemLayers(uint32_t flags, const wxString& stemName, int width, int height);
    wxColour GetStemColor(const wxString& stemName);
    void SetStemColor(const wxString& stemName, const wxColour& color);

    // The set a plot grid layer shows: the uptake, or the tree counts (the
    // count cloud among them); null when the plot has no such set.
    GridData* GetPlotLayerGrid(uint32_t flag);

  private:
    std::unique_ptr<PlotFile> plot;
    PlotRect view;
    std::vector<wxString> highlightedStems;
    std::map<wxString, wxColour> stemColors;

    // The view and pixel size that every renderer of one drawing shares.
    struct LayerFrame {
        PlotRect view;
        int width;
        int height;
    };
    // Each draws one plot layer over the bitmap drawn so far, taking it over,
    // and returns the result.
    wxBitmap DrawPlotLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame);
    wxBitmap DrawGridLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame);
    wxBitmap DrawStemMapLayer(uint32_t flag, wxBitmap& target, const LayerFrame& frame);
};
