#include "data/ValueLayers.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "base/Text.h"
#include "data/PlotComparison.h"
#include "data/PlotFile.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

// Every cell of a set's index table, with the value its layers draw: from
// memory when the set holds its cells (as the window's do), else read from
// the table, to its end.
bool ReadSet(PlotFile& plot, IndexedGridData* set, const std::string& what,
             std::vector<CellValue>& cells, std::string& error) {
    if (!set || !set->IsIndexReady()) {
        error = "the " + what + " cannot be read: its index table could not be built";
        return false;
    }
    if (const IndexCells* held = set->GetHeldCells()) {
        std::vector<const IndexCells::Cell*> all;
        held->Select({ViewFilter::EdgesIncluded, -INFINITY, -INFINITY, INFINITY, INFINITY}, false,
                     all);
        for (const IndexCells::Cell* cell : all) {
            cells.push_back({held->ReadX(*cell), held->ReadY(*cell), cell->count});
        }
        return true;
    }
    const std::string sql = "SELECT " + SqlName(set->GetXColumn()) + ", " +
                            SqlName(set->GetYColumn()) + ", count FROM " +
                            SqlName(set->GetTableName());
    Statement rows(plot.GetDatabase(), sql.c_str());
    while (rows.Step()) {
        cells.push_back({rows.GetDouble(0), rows.GetDouble(1), float(rows.GetDouble(2))});
    }
    if (!rows.Finished()) {
        error = "the " + what + " could not be read to its end (the file is busy or damaged)";
        return false;
    }
    return true;
}

bool GatherUptake(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string& error) {
    return ReadSet(input.plot, input.plot.GetUptakeGrid(), "total uptake", cells, error);
}

bool GatherCount(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string& error) {
    return ReadSet(input.plot, input.plot.GetNeighborGrid(), "tree count", cells, error);
}

// The tree's own cells (where it takes up anything) over every cell of the
// grid at 0, as its layers and the readout give them.
bool GatherTree(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string& error) {
    PlotFile& plot = input.plot;
    const ValueLayerChoice& choice = input.choice;
    const wxString label = wxString::FromUTF8(choice.tree.c_str());
    const std::vector<wxString> trees = plot.GetTreeNames();
    if (std::find(trees.begin(), trees.end(), label) == trees.end()) {
        error = "the tree " + Quoted(choice.tree) +
                " has no column in grid, so no uptake of its own to write";
        return false;
    }
    if (!ReadSet(plot, plot.GetUptakeGrid(), "total uptake", cells, error)) {
        return false;
    }
    // A tree without a stem draws nothing, but its column has values all the same.
    UptakeGridData* set = plot.GetTreeGrid(label);
    std::unique_ptr<UptakeGridData> own;
    if (!set) {
        own = UptakeGridData::ForTree(plot.GetDatabase(), choice.tree, ProgressMonitor(0, 0));
        set = own.get();
    }
    std::vector<CellValue> treeCells;
    if (!ReadSet(plot, set, "uptake of " + Quoted(choice.tree), treeCells, error)) {
        return false;
    }
    std::map<std::pair<double, double>, size_t> byCorner;
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].value = 0.0f;
        byCorner.emplace(std::make_pair(cells[i].x, cells[i].y), i);
    }
    for (const CellValue& cell : treeCells) {
        const auto found = byCorner.find({cell.x, cell.y});
        if (found == byCorner.end()) {
            cells.push_back(cell);  // laid out, or refused, with the others
        } else {
            cells[found->second].value = cell.value;
        }
    }
    return true;
}

// Every cell of the grid with its difference, other minus open.
bool GatherDifference(CellGridData* set, std::vector<CellValue>& cells) {
    for (const GridCell& cell : set->GetCells()) {
        cells.push_back({cell.x, cell.y, float(cell.value)});
    }
    return true;
}

bool GatherUptakeDiff(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string&) {
    return GatherDifference(input.comparison->GetUptakeDiff(), cells);
}

bool GatherCountDiff(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string&) {
    return GatherDifference(input.comparison->GetCountDiff(), cells);
}

// A tree's difference where either plot has its uptake, over every cell of
// the grid at 0; a tree of one plot only counts 0 in the other.
bool GatherTreeDiff(const ValueLayerInput& input, std::vector<CellValue>& cells,
                    std::string& error) {
    PlotComparison& comparison = *input.comparison;
    const wxString label = wxString::FromUTF8(input.choice.tree.c_str());
    bool drawn = false;
    for (PlotFile* plot : {&comparison.GetOpen(), &comparison.GetOther()}) {
        const std::vector<wxString> trees = plot->GetTreeNames();
        if (std::find(trees.begin(), trees.end(), label) != trees.end()) {
            plot->PrepareTree(label);
            drawn = true;
        }
    }
    CellGridData* diff = drawn ? comparison.GetTreeDiff(label) : nullptr;
    if (!diff) {
        error = "the tree " + Quoted(input.choice.tree) +
                (drawn ? "'s uptake could not be read in both plots"
                       : " has a column in the grid of neither plot");
        return false;
    }
    for (const GridCell& cell : comparison.GetUptakeDiff()->GetCells()) {
        cells.push_back({cell.x, cell.y, float(diff->ValueAtCorner(cell.x, cell.y))});
    }
    return true;
}

// The cells of a derived set over every cell of the grid at 0, each with
// the value value(cell) gives.
template <class Value>
bool OverGrid(const ValueLayerInput& input, HeldGridData* set, Value value,
              std::vector<CellValue>& cells, std::string& error) {
    if (!ReadSet(input.plot, input.plot.GetUptakeGrid(), "total uptake", cells, error)) {
        return false;
    }
    std::map<std::pair<double, double>, size_t> byCorner;
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].value = 0.0f;
        byCorner.emplace(std::make_pair(cells[i].x, cells[i].y), i);
    }
    for (const HeldGridData::Cell& cell : set->GetCells()) {
        const CellValue read{set->ReadX(cell), set->ReadY(cell), value(cell)};
        const auto found = byCorner.find({read.x, read.y});
        if (found == byCorner.end()) {
            cells.push_back(read);
        } else {
            cells[found->second].value = read.value;
        }
    }
    return true;
}

// What the derived sets need, made in one pass over grid; false with the reason.
bool MakeDerived(PlotFile& plot, const ValueLayerChoice& choice, const DerivedNeeds& needs,
                 std::string& error) {
    if (!choice.groupBy.empty() && !plot.GroupTreesBy(choice.groupBy, error)) {
        return false;
    }
    if (!choice.group.empty() && plot.GetTreeGroups()->Find(choice.group) < 0) {
        error =
            "the stem column " + Quoted(choice.groupBy) + " makes no group " + Quoted(choice.group);
        return false;
    }
    if (!plot.MakeDerived(needs)) {
        error = Utf8(plot.GetDerivedProblem());
        return false;
    }
    return true;
}

bool GatherGroup(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string& error) {
    DerivedNeeds needs;
    needs.groups = {input.choice.group};
    if (!MakeDerived(input.plot, input.choice, needs, error)) {
        return false;
    }
    HeldGridData* set = input.plot.GetDerived().GroupGrid(input.choice.group);
    return OverGrid(
        input, set, [](const HeldGridData::Cell& cell) { return cell.value; }, cells, error);
}

// The number of the tree (or group) with the largest uptake, from 1.
bool GatherDominant(const ValueLayerInput& input, bool groups, std::vector<CellValue>& cells,
                    std::string& error) {
    DerivedNeeds needs;
    needs.dominantTrees = !groups;
    needs.dominantGroups = groups;
    if (!MakeDerived(input.plot, input.choice, needs, error)) {
        return false;
    }
    DerivedGrids& derived = input.plot.GetDerived();
    HeldGridData* set = groups ? derived.DominantGroups() : derived.DominantTrees();
    return OverGrid(
        input, set, [](const HeldGridData::Cell& cell) { return float(cell.tag + 1); }, cells,
        error);
}

bool GatherDominantTree(const ValueLayerInput& input, std::vector<CellValue>& cells,
                        std::string& error) {
    return GatherDominant(input, false, cells, error);
}

bool GatherDominantGroup(const ValueLayerInput& input, std::vector<CellValue>& cells,
                         std::string& error) {
    return GatherDominant(input, true, cells, error);
}

// clang-format off
const std::vector<ValueLayerDef> kValueLayers = {
    {"uptake", "Total uptake", "the total uptake of each cell, as the uptake blocks show it", kNeedsNothing,
     GatherUptake},
    {"count", "Tree count", "the number of trees taking up nitrogen in each cell", kNeedsNothing, GatherCount},
    {"tree", "Uptake of tree", "the uptake of the tree --tree names, 0 where it takes none", kNeedsTree,
     GatherTree},
    {"uptake-diff", "Change of total uptake", "with --compare: the change of each cell's total uptake, other minus open",
     kNeedsComparison, GatherUptakeDiff},
    {"count-diff", "Change of tree count", "with --compare: the change of each cell's tree count", kNeedsComparison,
     GatherCountDiff},
    {"tree-diff", "Change of uptake of tree", "with --compare: the change of the uptake of the tree --tree names",
     kNeedsTree | kNeedsComparison, GatherTreeDiff},
    {"group", "Uptake of group", "with --group-by: the summed uptake of the trees of the group --group names",
     kNeedsGrouping | kNeedsGroup, GatherGroup},
    {"dominant", "Dominant tree", "the number of the tree that takes up most in each cell (0: none), the numbers' "
     "trees in OUT.labels.csv", kNeedsNothing, GatherDominantTree},
    {"dominant-group", "Dominant group", "with --group-by: the number of the group that takes up most in each cell "
     "(0: none), the numbers' groups in OUT.labels.csv", kNeedsGrouping, GatherDominantGroup},
};
// clang-format on

// The least and greatest corners as SQL reads the stored numbers, at full precision.
bool ReadExactCorners(Database database, ExactCorners& exact) {
    Statement row(database,
                  "SELECT min(x), max(x), min(y), max(y) FROM (SELECT CAST(x_coord AS REAL) AS x, "
                  "CAST(y_coord AS REAL) AS y FROM grid)");
    if (!row.Step()) {
        return false;
    }
    double* values[] = {&exact.xMin, &exact.xMax, &exact.yMin, &exact.yMax};
    for (int i = 0; i < 4; ++i) {
        if (sqlite3_column_type(row.Handle(), i) != SQLITE_FLOAT) {
            return false;
        }
        *values[i] = sqlite3_column_double(row.Handle(), i);
    }
    return true;
}

}  // namespace

const std::vector<ValueLayerDef>& ValueLayerKeys() {
    return kValueLayers;
}

const ValueLayerDef* FindValueLayer(const std::string& key) {
    for (const ValueLayerDef& layer : kValueLayers) {
        if (key == layer.key) {
            return &layer;
        }
    }
    return nullptr;
}

bool MakeValueGrid(PlotFile& plot, const ValueLayerChoice& choice, ValueGrid& grid,
                   std::string& error, PlotComparison* comparison,
                   std::vector<std::string>* labels) {
    const ValueLayerDef* layer = FindValueLayer(choice.key);
    if (!layer) {
        error = "no value layer " + Quoted(choice.key);
        return false;
    }
    if (!plot.HasRootData() || !plot.GetUptakeGrid()) {
        error = "the plot has no grid table, so no values to write";
        return false;
    }
    if ((layer->needs & kNeedsComparison) && !comparison) {
        error = "the layer " + Quoted(choice.key) + " is the change to another plot: compare first";
        return false;
    }
    std::vector<CellValue> cells;
    if (!layer->gather({plot, choice, comparison}, cells, error)) {
        return false;
    }
    if (labels && (choice.key == "dominant" || choice.key == "dominant-group")) {
        *labels =
            choice.key == "dominant" ? plot.GetDerived().Trees() : plot.GetTreeGroups()->names;
    }
    ExactCorners exact{};
    const bool known = ReadExactCorners(plot.GetDatabase(), exact);
    return LayOutGrid(cells, plot.GetUptakeGrid()->GetCellSize(), known ? &exact : nullptr, grid,
                      error);
}
