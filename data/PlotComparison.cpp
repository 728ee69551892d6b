#include "data/PlotComparison.h"

#include <wx/filename.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "base/Text.h"

namespace {

using Key = std::pair<long long, long long>;

// Cells are named by their steps from the open grid's corner.
struct Grid {
    double x0;
    double y0;
    double cell;
    Key KeyOf(double x, double y) const {
        return {std::llround((x - x0) / cell), std::llround((y - y0) / cell)};
    }
};

std::string Name(const PlotFile& plot) {
    return Utf8(wxFileName(plot.GetPath()).GetFullName());
}

std::string Place(const GridCell& cell) {
    char text[64];
    std::snprintf(text, sizeof text, "%g %g", cell.x, cell.y);
    return text;
}

std::string Mismatch(const PlotFile& from, const PlotFile& to, const GridCell& cell) {
    return "the grids of \"" + Name(from) + "\" and \"" + Name(to) +
           "\" do not match: the cell at " + Place(cell) + " of \"" + Name(from) +
           "\" has no cell at the same place in \"" + Name(to) + "\"";
}

std::map<Key, GridCell> ByPlace(const Grid& grid, const std::vector<GridCell>& cells) {
    std::map<Key, GridCell> places;
    for (const GridCell& cell : cells) {
        places.emplace(grid.KeyOf(cell.x, cell.y), cell);
    }
    return places;
}

// The first cell of from without a cell of to within a millionth of the
// cell size, or none.
const GridCell* Unmatched(const Grid& grid, const std::vector<GridCell>& from,
                          const std::map<Key, GridCell>& to) {
    const double tolerance = grid.cell * 1e-6;
    for (const GridCell& cell : from) {
        const auto found = to.find(grid.KeyOf(cell.x, cell.y));
        if (found == to.end() || std::fabs(found->second.x - cell.x) > tolerance ||
            std::fabs(found->second.y - cell.y) > tolerance) {
            return &cell;
        }
    }
    return nullptr;
}

double ValueAt(const std::map<Key, GridCell>& places, const Key& key) {
    const auto found = places.find(key);
    return found == places.end() ? 0.0 : found->second.value;
}

// other - open at each of the open grid's cells.
std::vector<GridCell> Differences(const Grid& grid, const std::vector<GridCell>& open,
                                  const std::map<Key, GridCell>& other) {
    std::vector<GridCell> cells;
    for (const GridCell& cell : open) {
        cells.push_back({cell.x, cell.y, ValueAt(other, grid.KeyOf(cell.x, cell.y)) - cell.value});
    }
    return cells;
}

std::vector<GridCell> CellsOf(GridData* set) {
    return set ? AllCells(*set) : std::vector<GridCell>();
}

}  // namespace

std::unique_ptr<PlotComparison> PlotComparison::Make(PlotFile& open, PlotFile& other,
                                                     std::string& error) {
    UptakeGridData* openUptake = open.GetUptakeGrid();
    UptakeGridData* otherUptake = other.GetUptakeGrid();
    if (!openUptake || !otherUptake) {
        error = "\"" + Name(openUptake ? other : open) + "\" has no grid to compare";
        return nullptr;
    }
    const std::vector<GridCell> openCells = AllCells(*openUptake);
    const std::vector<GridCell> otherCells = AllCells(*otherUptake);
    const Grid grid{openUptake->GetXMin(), openUptake->GetYMin(), openUptake->GetCellSize()};
    const std::map<Key, GridCell> openPlaces = ByPlace(grid, openCells);
    const std::map<Key, GridCell> otherPlaces = ByPlace(grid, otherCells);
    if (const GridCell* lone = Unmatched(grid, openCells, otherPlaces)) {
        error = Mismatch(open, other, *lone);
        return nullptr;
    }
    if (const GridCell* lone = Unmatched(grid, otherCells, openPlaces)) {
        error = Mismatch(other, open, *lone);
        return nullptr;
    }
    std::unique_ptr<PlotComparison> comparison(new PlotComparison(open, other));
    comparison->cellSize = grid.cell;
    const std::vector<GridCell> openCounts = CellsOf(open.GetNeighborGrid());
    const std::map<Key, GridCell> otherCounts = ByPlace(grid, CellsOf(other.GetNeighborGrid()));
    comparison->uptakeDiff = std::make_unique<CellGridData>(
        Differences(grid, openCells, otherPlaces), grid.cell, "uptake difference");
    comparison->countDiff = std::make_unique<CellGridData>(
        Differences(grid, openCounts, otherCounts), grid.cell, "tree count difference");
    comparison->otherUptake =
        std::make_unique<CellGridData>(otherCells, grid.cell, "compared uptake");
    comparison->otherCount = std::make_unique<CellGridData>(CellsOf(other.GetNeighborGrid()),
                                                            grid.cell, "compared tree count");
    return comparison;
}

CellGridData* PlotComparison::GetTreeDiff(const wxString& tree) {
    const auto kept = treeDiffs.find(tree);
    if (kept != treeDiffs.end()) {
        return kept->second.get();
    }
    UptakeGridData* openSet = open.GetTreeGrid(tree);
    UptakeGridData* otherSet = other.GetTreeGrid(tree);
    // A set not made yet (the window makes them behind its progress window)
    // would count as zeros: nothing is kept until both are there.
    if (!open.IsTreePrepared(tree) || !other.IsTreePrepared(tree)) {
        return nullptr;
    }
    std::unique_ptr<CellGridData>& diff = treeDiffs[tree];
    if (!openSet && !otherSet) {
        return nullptr;
    }
    // A tree's set holds only its cells of uptake; a cell in either counts.
    const Grid grid{uptakeDiff->GetXMin(), uptakeDiff->GetYMin(), cellSize};
    std::map<Key, GridCell> cells;
    for (const GridCell& cell : CellsOf(openSet)) {
        cells[grid.KeyOf(cell.x, cell.y)] = GridCell{cell.x, cell.y, -cell.value};
    }
    std::vector<GridCell> otherCells = CellsOf(otherSet);
    for (const GridCell& cell : otherCells) {
        const auto [at, added] = cells.emplace(grid.KeyOf(cell.x, cell.y), cell);
        if (!added) {
            at->second.value += cell.value;
        }
    }
    std::vector<GridCell> list;
    for (const auto& entry : cells) {
        list.push_back(entry.second);
    }
    diff = std::make_unique<CellGridData>(std::move(list), cellSize, tree + " difference");
    otherTrees[tree] = std::make_unique<CellGridData>(std::move(otherCells), cellSize, tree);
    return diff.get();
}

double PlotComparison::OtherValueAt(PlotSet set, double x, double y) {
    CellGridData* values = set == PlotSet::Uptake ? otherUptake.get() : otherCount.get();
    return values->ValueAtCorner(x, y);
}

double PlotComparison::OtherTreeValueAt(const wxString& tree, double x, double y) {
    GetTreeDiff(tree);
    const auto found = otherTrees.find(tree);
    return found != otherTrees.end() && found->second ? found->second->ValueAtCorner(x, y) : 0.0;
}
