// Everything derived from one open plot database: the data sets, the plot
// frame, the highlighted stems and stem colours, and the layer drawing.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/string.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "data/NeighborGridData.h"
#include "data/PointData.h"
#include "data/RootData.h"
#include "data/StemData.h"
#include "data/UptakeGridData.h"
#include "db/Database.h"
#include "render/PlotRect.h"

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

// A stem's label and position, as the stem data set holds them.
struct StemPosition {
    wxString label;
    double x;
    double y;
};

// The stem nearest to (x, y) as a click picks it: strictly nearer than every
// stem before it and than 100000 plot units. Its index, or -1, with its
// distance in distance.
int NearestStem(const std::vector<StemPosition>& stems, double x, double y, double& distance);

// What one tree's own layers draw from, kept for the open file so that
// readings and legends do not build the tree's data set again.
struct TreeUptake {
    bool drawable = false;  // the tree has a stem and a grid column
    std::string table;      // its index table; empty when it could not be built
    double minValue = 100000.0;
    double maxValue = -100000.0;
};

class RenderHelper {
  public:
    enum class OpenStatus {
        Loaded,  // at least one of grid and stem was found and read
        // Refused, nothing written: not a database, neither grid nor stem,
        // locked by another program, or a needed recovery it cannot get.
        NoPlotData,
        IndexFailed,  // opened, but the index tables could not be built (see the problem)
    };

    RenderHelper(const wxString& path, ProgressMonitor monitor);
    ~RenderHelper();
    RenderHelper(const RenderHelper&) = delete;
    RenderHelper& operator=(const RenderHelper&) = delete;

    OpenStatus GetOpenStatus() const { return openStatus; }
    // Why the file is refused or incomplete, for the user; empty when loaded fully.
    wxString GetOpenProblem() const { return openProblem; }
    // Trees whose own layers drew nothing because their index table could
    // not be built, and why the first of them failed.
    bool TreeLayersFailed(const wxString& tree) const { return treesWithoutIndex.count(tree) > 0; }
    wxString GetTreeLayerProblem() const { return treeLayerProblem; }
    // What the file holds that the layers show otherwise than written, one
    // line each (texts in value columns that are not numbers); logged too.
    const std::vector<std::string>& GetDataWarnings() const { return dataWarnings; }

    double GetFullXMin() const { return fullExtent.xMin; }
    double GetFullYMin() const { return fullExtent.yMin; }
    double GetFullXMax() const { return fullExtent.xMax; }
    double GetFullYMax() const { return fullExtent.yMax; }
    double GetViewXMin() const { return view.xMin; }
    double GetViewYMin() const { return view.yMin; }
    double GetViewXMax() const { return view.xMax; }
    double GetViewYMax() const { return view.yMax; }
    void SetViewXMin(double value) { view.xMin = value; }
    void SetViewYMin(double value) { view.yMin = value; }
    void SetViewXMax(double value) { view.xMax = value; }
    void SetViewYMax(double value) { view.yMax = value; }
    void SetView(double xMin, double yMin, double xMax, double yMax);
    const PlotRect& GetFullExtent() const { return fullExtent; }
    const PlotRect& GetView() const { return view; }

    Database GetDatabase() { return database; }
    std::vector<wxString> GetTreeNames();
    std::vector<wxString> GetStemAttributeNames();
    double GetStemValue(const wxString& label, const wxString& column);
    wxString FindNearestStem(double x, double y);
    // Every stem in table order; empty without a stem table.
    std::vector<StemPosition> GetStemPositions();
    // Builds the tree's index table when it is not there yet.
    const TreeUptake& GetTreeUptake(const wxString& label);
    void AddHighlightedStem(const wxString& name);
    void RemoveHighlightedStem(const wxString& name);
    const std::vector<wxString>& GetHighlightedStems() const { return highlightedStems; }

    // The uptake set of one tree (its cells where its value is not 0), made
    // at the first need and kept for the open file; null when the tree has
    // no stem or no grid column, and so nothing to draw.
    UptakeGridData* GetTreeGrid(const wxString& treeName);
    // Drops every index table of the file, and what was kept of them.
    void DeleteIndexTables();

    wxBitmap RenderPlotLayers(uint32_t flags, int width, int height);
    wxBitmap RenderStemLayers(uint32_t flags, const wxString& stemName, int width, int height);
    wxColour GetStemColor(const wxString& stemName);
    void SetStemColor(const wxString& stemName, const wxColour& color);

    bool HasRootData() const { return hasRootData; }
    bool HasStemData() const { return hasStemData; }
    // Null when the file has no grid (or was refused).
    NeighborGridData* GetNeighborGrid() { return neighborGrid.get(); }
    UptakeGridData* GetUptakeGrid() { return uptakeGrid.get(); }
    // The set a plot grid layer shows: the uptake, or the tree counts (the
    // count cloud among them); null when the plot has no such set.
    GridData* GetPlotLayerGrid(uint32_t flag);
    // Null when the file has no stem table (or was refused).
    PointData* GetStemPoints() { return stemPoints.get(); }
    const RootData* GetRootData() const { return rootData.get(); }
    const StemData* GetStemData() const { return stemData.get(); }

  private:
    // After the index tables were deleted, what was kept of them is stale.
    void ForgetTreeUptakes();

    PlotRect fullExtent;
    PlotRect view;
    std::unique_ptr<PointData> stemPoints;
    std::unique_ptr<NeighborGridData> neighborGrid;
    std::unique_ptr<UptakeGridData> uptakeGrid;
    Database database;
    std::unique_ptr<RootData> rootData;
    std::unique_ptr<StemData> stemData;
    bool hasRootData = false;
    bool hasStemData = false;
    std::vector<wxString> highlightedStems;
    std::map<wxString, wxColour> stemColors;
    std::map<wxString, TreeUptake> treeUptakes;
    // Null for a tree found to have nothing to draw.
    std::map<wxString, std::unique_ptr<UptakeGridData>> treeGrids;
    OpenStatus openStatus = OpenStatus::NoPlotData;
    wxString openProblem;
    wxString filePath;
    std::set<wxString> treesWithoutIndex;
    wxString treeLayerProblem;
    std::vector<std::string> dataWarnings;

    void NoteTreeIndexFailure(const wxString& tree, const StatementFailure& failure);

    // Whether the tree has anything for its own layers to draw.
    bool IsTreeDrawable(const wxString& stemName);

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

// The source query of one tree's uptake: the cells where its column is not 0.
wxString StemUptakeQuery(const wxString& treeLabel);
