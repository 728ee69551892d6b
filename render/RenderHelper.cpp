// The data half of RenderHelper: opening a plot file and answering questions
// about its trees and stems. The drawing half lives in RenderLayers.cpp.
#include "render/RenderHelper.h"

#include <algorithm>

#include "app/Log.h"
#include "db/SqlText.h"

namespace {

const char* const kGridTable = "grid";
const char* const kStemTable = "stem";
const char* const kPlotSource = "SELECT * FROM grid";

}  // namespace

RenderHelper::RenderHelper(const wxString& path, ProgressMonitor monitor)
    : database(std::shared_ptr<Connection>()) {
    const wxScopedCharBuffer file = path.utf8_str();

    // Decide from a read-only look whether the file is ours to open at all, so
    // that somebody's other database never receives our catalogue tables.
    const DatabaseProbe probe = Database::Probe(file.data());
    if (!probe.isDatabase) {
        openProblem = wxString::Format(
            "\"%s\" cannot be opened: it is not an SQLite database, or it is damaged.", path);
        Log(LOG_ERROR, "%s", openProblem.utf8_str().data());
        return;
    }
    if (!probe.hasGrid) {
        Log(LOG_ERROR, "No root data in database file.");
    }
    if (!probe.hasStem) {
        Log(LOG_ERROR, "No stem data in database file.");
    }
    if (!probe.hasGrid && !probe.hasStem) {
        openProblem = wxString::Format(
            "\"%s\" holds no plot data: it has neither a grid table nor a stem table.", path);
        Log(LOG_ERROR, "%s", openProblem.utf8_str().data());
        return;
    }

    database = Database(file.data());
    hasRootData = probe.hasGrid;
    hasStemData = probe.hasStem;
    // The grid is read once for its summary and both grid sets.
    GridSource plotSource(database, kPlotSource, "x_coord", "y_coord");
    if (hasRootData) {
        rootData = std::make_unique<RootData>(database, kGridTable, monitor, &plotSource);
    }
    if (hasStemData) {
        stemData = std::make_unique<StemData>(database, kStemTable, ProgressMonitor(0, 0));
    }

    // The full extent covers whichever of the two tables has rows.
    bool haveExtent = false;
    auto include = [&](double xMin, double yMin, double xMax, double yMax) {
        if (!haveExtent) {
            fullExtent = PlotRect{xMin, yMin, xMax, yMax};
            haveExtent = true;
            return;
        }
        fullExtent.xMin = std::min(fullExtent.xMin, xMin);
        fullExtent.yMin = std::min(fullExtent.yMin, yMin);
        fullExtent.xMax = std::max(fullExtent.xMax, xMax);
        fullExtent.yMax = std::max(fullExtent.yMax, yMax);
    };
    if (rootData && rootData->HasCells()) {
        include(rootData->GetXMin(), rootData->GetYMin(), rootData->GetXMax(), rootData->GetYMax());
    }
    if (stemData && stemData->GetStemCount() > 0) {
        include(stemData->GetXMin(), stemData->GetYMin(), stemData->GetXMax(), stemData->GetYMax());
    }
    view = fullExtent;

    if (hasRootData) {
        // Without a grid there are no cells, hence no grid sets.
        uptakeGrid =
            std::make_unique<UptakeGridData>(database, Query("%s", kPlotSource), kGridTable,
                                             "x_coord", "y_coord", monitor, &plotSource);
        neighborGrid =
            std::make_unique<NeighborGridData>(database, Query("%s", kPlotSource), kGridTable,
                                               "x_coord", "y_coord", monitor, &plotSource);
    }
    if (hasStemData) {
        stemPoints = std::make_unique<PointData>(database, Query("SELECT * FROM %s", kStemTable),
                                                 "Tree", "Xrot0", "Yrot0", monitor);
    }

    openStatus = OpenStatus::Loaded;
    const bool indexesReady = (!uptakeGrid || uptakeGrid->IsIndexReady()) &&
                              (!neighborGrid || neighborGrid->IsIndexReady());
    if (!indexesReady) {
        openStatus = OpenStatus::IndexFailed;
        openProblem = wxString::Format(
            "The index tables of \"%s\" could not be built because the file cannot be written. "
            "The uptake and tree-count layers stay empty.",
            path);
        Log(LOG_ERROR, "%s", openProblem.utf8_str().data());
    }
}

// Every data set holds a copy of the database handle; once they and our own
// copy are gone, the connection closes.
RenderHelper::~RenderHelper() {
    treeGrids.clear();
    stemPoints.reset();
    neighborGrid.reset();
    uptakeGrid.reset();
    rootData.reset();
    stemData.reset();
    database = Database(std::shared_ptr<Connection>());
}

void RenderHelper::SetView(double xMin, double yMin, double xMax, double yMax) {
    view = PlotRect{xMin, yMin, xMax, yMax};
}

std::vector<wxString> RenderHelper::GetTreeNames() {
    if (!hasRootData || !rootData) {
        return {};
    }
    return rootData->GetTreeNames();
}

std::vector<wxString> RenderHelper::GetStemAttributeNames() {
    if (!hasStemData || !stemPoints) {
        return {};
    }
    std::vector<wxString> names = stemPoints->GetColumnNames();
    if (names.size() <= 3) {
        return {};
    }
    return std::vector<wxString>(names.begin() + 3, names.end());
}

double RenderHelper::GetStemValue(const wxString& label, const wxString& column) {
    if (!stemPoints) {
        return 0.0;
    }
    // The cursor is closed before returning: an open read would make SQLite
    // refuse every later DROP TABLE on this connection.
    double value = 0.0;
    for (stemPoints->First(); stemPoints->IsValid(); stemPoints->Next()) {
        if (stemPoints->GetLabel() == label) {
            value = stemPoints->GetColumnValue(column);
            break;
        }
    }
    stemPoints->Close();
    return value;
}

UptakeGridData* RenderHelper::GetTreeGrid(const wxString& treeName) {
    auto found = treeGrids.find(treeName);
    if (found != treeGrids.end()) {
        return found->second.get();
    }
    // Only a tree that has a stem and an uptake column in the grid has
    // anything to draw; any other source query would fail.
    std::unique_ptr<UptakeGridData> grid;
    bool drawable = false;
    if (hasStemData && hasRootData && rootData) {
        const std::vector<wxString> trees = rootData->GetTreeNames();
        if (std::find(trees.begin(), trees.end(), treeName) != trees.end()) {
            Result stem = database.RunQuery(
                Query("SELECT * FROM stem WHERE Tree = %s",
                      SqlLiteral(std::string(treeName.utf8_str().data())).c_str()));
            drawable = stem.Status() == ResultStatus::HasRows;
            stem.Close();
        }
    }
    if (drawable) {
        grid = std::make_unique<UptakeGridData>(
            database, Query("%s", StemUptakeQuery(treeName).utf8_str().data()), kGridTable,
            "x_coord", "y_coord", ProgressMonitor(0, 0));
    }
    return treeGrids.emplace(treeName, std::move(grid)).first->second.get();
}

void RenderHelper::DeleteIndexTables() {
    // Kept sets would go on naming tables that are gone; the next drawing
    // builds them again.
    treeGrids.clear();
    database.DeleteAllIndexTables();
}

wxString StemUptakeQuery(const wxString& treeLabel) {
    const std::string label = SqlQuoted(std::string(treeLabel.utf8_str().data()), '`');
    return wxString::FromUTF8(("SELECT gridcell_id, x_coord, y_coord, `" + label +
                               "` FROM grid WHERE `" + label + "` != 0")
                                  .c_str());
}
