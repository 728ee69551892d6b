#include "render/PointReadout.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>

#include "base/Text.h"
#include "data/PlotComparison.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "render/PlotPainter.h"

namespace {

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

PointReadout::PointReadout(PlotFile& plot)
    : plot(plot), database(plot.GetDatabase()), stems(plot.GetStemPositions()) {
    UptakeGridData* uptake = plot.GetUptakeGrid();
    if (uptake == nullptr) {
        return;
    }
    xColumn = uptake->GetXColumn();
    yColumn = uptake->GetYColumn();
    cellSize = uptake->GetCellSize();
    uptakeCells = CellsOf(uptake);
    countCells = CellsOf(plot.GetNeighborGrid());
}

PointReadout::Cells PointReadout::CellsOf(IndexedGridData* data) {
    Cells cells;
    if (data != nullptr) {
        cells.held = data->GetHeldCells();
        // Naming the table reads the file; cells in memory need no name.
        const char* name = cells.held ? nullptr : data->GetTableName();
        cells.table = name != nullptr ? name : "";
    }
    return cells;
}

void PointReadout::SetTrees(const std::vector<wxString>& labels) {
    treeLabels = labels;
    treeCells.clear();
    for (const wxString& label : labels) {
        // A set that could not be built has no cells: it reads 0, as its layers draw nothing.
        UptakeGridData* grid = plot.GetTreeGrid(label);
        treeCells.push_back(grid && grid->IsIndexReady() ? CellsOf(grid) : Cells());
    }
}

PointReadout::Cell PointReadout::CellAt(const Cells& cells, double x, double y) {
    Cell cell;
    if (!(cellSize > 0.0) || !std::isfinite(x) || !std::isfinite(y)) {
        return cell;
    }
    if (cells.held) {
        if (const IndexCells::Cell* held = cells.held->Holding(x, y, cellSize)) {
            cell.found = true;
            cell.x = cells.held->ReadX(*held);
            cell.y = cells.held->ReadY(*held);
            cell.value = held->count;
        }
        return cell;
    }
    return CellInTable(cells.table, x, y);
}

PointReadout::Cell PointReadout::CellInTable(const std::string& table, double x, double y) {
    Cell cell;
    if (table.empty()) {
        return cell;
    }
    // The outer bounds let the location index narrow the search to a few
    // rows; the sums then decide exactly as the rule reads.
    const std::string xName = SqlName(xColumn);
    const std::string yName = SqlName(yColumn);
    Query query(
        "SELECT %s, %s, count FROM %s WHERE %s <= %.17g AND %s > %.17g AND %s + %.17g > %.17g "
        "AND %s <= %.17g AND %s > %.17g AND %s + %.17g > %.17g ORDER BY %s DESC, %s DESC LIMIT 1",
        xName.c_str(), yName.c_str(), SqlName(table).c_str(), xName.c_str(), x, xName.c_str(),
        x - 2 * cellSize, xName.c_str(), cellSize, x, yName.c_str(), y, yName.c_str(),
        y - 2 * cellSize, yName.c_str(), cellSize, y, xName.c_str(), yName.c_str());
    // One pass: the search stops at its first row.
    Statement rows(database, query.Text());
    if (rows.Step()) {
        cell.found = true;
        cell.x = rows.GetDouble(rows.Find(xColumn.c_str()));
        cell.y = rows.GetDouble(rows.Find(yColumn.c_str()));
        cell.value = rows.GetDouble(rows.Find("count"));
    }
    return cell;
}

double PointReadout::ValueInCell(const Cells& cells, double x, double y, const Cell& holder) {
    // Every index table of the plot stores a cell under the same coordinates,
    // so the same search finds the same corner, or none where the table
    // lacks the cell.
    const Cell cell = CellAt(cells, x, y);
    return cell.found && cell.x == holder.x && cell.y == holder.y ? cell.value : 0.0;
}

namespace {

// The held cell of (x, y), when it is the cell that holds the point.
const HeldGridData::Cell* HeldAt(HeldGridData* set, double x, double y, double cellX,
                                 double cellY) {
    const HeldGridData::Cell* held = set ? set->Holding(x, y) : nullptr;
    return held && set->ReadX(*held) == cellX && set->ReadY(*held) == cellY ? held : nullptr;
}

DominantReading ReadDominant(HeldGridData* set, double x, double y, double cellX, double cellY,
                             const std::function<wxString(int tag)>& name) {
    DominantReading dominant;
    dominant.known = set != nullptr;
    if (const HeldGridData::Cell* held = HeldAt(set, x, y, cellX, cellY)) {
        dominant.label = name(held->tag);
        dominant.share = held->value;
    }
    return dominant;
}

}  // namespace

void PointReadout::ReadDerived(double x, double y, const Cell& holder, PointReading& reading) {
    DerivedGrids& derived = plot.GetDerived();
    reading.dominantTree =
        ReadDominant(derived.DominantTrees(), x, y, holder.x, holder.y,
                     [&derived](int tag) { return wxString::FromUTF8(derived.TreeOfTag(tag)); });
    reading.dominantGroup =
        ReadDominant(derived.DominantGroups(), x, y, holder.x, holder.y,
                     [&derived](int tag) { return wxString::FromUTF8(derived.GroupOfTag(tag)); });
    for (const wxString& group : groupNames) {
        HeldGridData* set = derived.GroupGrid(Utf8(group));
        if (set) {
            const HeldGridData::Cell* held = HeldAt(set, x, y, holder.x, holder.y);
            reading.groups.push_back({group, held ? held->value : 0.0});
        }
    }
}

PointReading PointReadout::Read(double x, double y) {
    PointReading reading;
    reading.x = x;
    reading.y = y;
    const Cell cell = CellAt(uptakeCells, x, y);
    if (cell.found) {
        reading.hasCell = true;
        reading.cellX = cell.x;
        reading.cellY = cell.y;
        reading.uptake = cell.value;
        reading.treeCount = ValueInCell(countCells, x, y, cell);
        for (size_t i = 0; i < treeLabels.size(); ++i) {
            reading.trees.push_back({treeLabels[i], ValueInCell(treeCells[i], x, y, cell)});
        }
        ReadDerived(x, y, cell, reading);
        if (comparison) {
            reading.compared = ReadCompared(cell.x, cell.y);
        }
    }
    double distance = 0.0;
    const int nearest = NearestStem(stems, x, y, distance);
    if (nearest >= 0) {
        reading.hasStem = true;
        reading.stem = stems[nearest].label;
        reading.stemDistance = distance;
    }
    return reading;
}

ComparedReading PointReadout::ReadCompared(double cellX, double cellY) {
    ComparedReading compared;
    compared.uptake = comparison->OtherValueAt(PlotSet::Uptake, cellX, cellY);
    compared.treeCount = comparison->OtherValueAt(PlotSet::TreeCount, cellX, cellY);
    for (const wxString& tree : treeLabels) {
        compared.trees.push_back(comparison->OtherTreeValueAt(tree, cellX, cellY));
    }
    return compared;
}

namespace {

// The dominant tree and group with their shares, and each group's sum, as
// far as the plot has gathered them.
std::string DerivedLines(const PointReading& reading) {
    std::string text;
    const std::pair<const char*, const DominantReading*> dominants[] = {
        {"dominant", &reading.dominantTree}, {"dominant-group", &reading.dominantGroup}};
    for (const auto& [key, dominant] : dominants) {
        if (dominant->known) {
            text +=
                std::string(key) + "\t" +
                (dominant->label.empty() ? std::string("none")
                                         : Utf8(dominant->label) + "\t" + Number(dominant->share)) +
                "\n";
        }
    }
    for (const TreeReading& group : reading.groups) {
        text += "group\t" + Utf8(group.label) + "\t" + Number(group.uptake) + "\n";
    }
    return text;
}

}  // namespace

std::string ReadingText(const PointReading& reading) {
    std::string text = "x\t" + Number(reading.x) + "\ny\t" + Number(reading.y) + "\n";
    if (!reading.hasCell) {
        text += "cell\tnone\n";
    } else {
        text += "cell\t" + Number(reading.cellX) + " " + Number(reading.cellY) + "\n";
        const ComparedReading* compared = reading.compared ? &*reading.compared : nullptr;
        // With a compared plot a value is followed by the other's and the change.
        auto both = [&](const char* name, double value, double other) {
            return std::string(name) + "\t" + Number(value) + "\n" +
                   (compared ? std::string(name) + "_compared\t" + Number(other) + "\n" + name +
                                   "_change\t" + Number(other - value) + "\n"
                             : std::string());
        };
        text += both("uptake", reading.uptake, compared ? compared->uptake : 0.0);
        text += both("trees", reading.treeCount, compared ? compared->treeCount : 0.0);
        for (size_t i = 0; i < reading.trees.size(); ++i) {
            const TreeReading& tree = reading.trees[i];
            text += "tree\t" + Utf8(tree.label) + "\t" + Number(tree.uptake);
            if (compared) {
                const double other = compared->trees[i];
                text += "\t" + Number(other) + "\t" + Number(other - tree.uptake);
            }
            text += "\n";
        }
        text += DerivedLines(reading);
    }
    if (reading.hasStem) {
        text += "stem\t" + Utf8(reading.stem) + "\t" + Number(reading.stemDistance) + "\n";
    } else {
        text += "stem\tnone\n";
    }
    return text;
}

namespace {

std::shared_ptr<const Classifier> OwnClasses(PlotFile& plot, GridData* data, const char* key,
                                             const PictureStyle& style) {
    const LayerDef* layer = FindLayer(key);
    if (!data || !layer || style.ClassRuleOf(*layer) == ClassRule::Equal) {
        return nullptr;
    }
    return LayerClasses(plot, *data, *layer, style);
}

}  // namespace

ReadingClasses ClassesForReading(PlotFile& plot, const std::vector<wxString>& trees,
                                 const PictureStyle& style) {
    ReadingClasses classes;
    classes.uptake = OwnClasses(plot, plot.GetUptakeGrid(), "uptake-blocks", style);
    classes.count = OwnClasses(plot, plot.GetNeighborGrid(), "count-blocks", style);
    for (const wxString& tree : trees) {
        UptakeGridData* grid = plot.GetTreeGrid(tree);
        if (auto own = OwnClasses(plot, grid && grid->IsIndexReady() ? grid : nullptr,
                                  "tree-blocks", style)) {
            classes.trees[tree] = own;
        }
    }
    return classes;
}

wxString ClassText(const Classifier* classes, double value) {
    if (!classes || value == 0.0) {
        return wxString();
    }
    return wxString::Format(" (class %d of %d)", classes->ClassOf(value) + 1, classes->Count());
}
