#include "data/PlotCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>

#include "base/Text.h"
#include "data/PlotWriter.h"

namespace {

// Names listed in a warning before the rest is only counted.
const size_t kListedNames = 20;

std::string NumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (size_t i = 0; i < names.size() && i < kListedNames; ++i) {
        list += (i > 0 ? ", " : "") + Quoted(names[i]);
    }
    if (names.size() > kListedNames) {
        list += " and " + std::to_string(names.size() - kListedNames) + " more";
    }
    return list;
}

std::string Counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Distinct coordinates whose steps are not whole multiples of the smallest
// one make the blocks overlap or leave gaps.
std::optional<double> Spacing(const std::set<double>& distinct, const char* axis,
                              std::vector<std::string>& warnings) {
    const std::vector<double> values(distinct.begin(), distinct.end());
    if (values.size() < 2) {
        return std::nullopt;
    }
    double step = values[1] - values[0];
    for (size_t i = 2; i < values.size(); ++i) {
        step = std::min(step, values[i] - values[i - 1]);
    }
    for (size_t i = 1; i < values.size(); ++i) {
        const double ratio = (values[i] - values[i - 1]) / step;
        if (std::fabs(ratio - std::round(ratio)) > 1e-6 * ratio) {
            warnings.push_back(std::string("the ") + axis + " values are not evenly spaced: " +
                               NumberText(values[i - 1]) + " to " + NumberText(values[i]) +
                               " is no whole number of steps of " + NumberText(step));
            break;
        }
    }
    return step;
}

}  // namespace

size_t GridCells::Find(double x, double y, long line, bool& isNew) {
    const auto [place, added] = index.emplace(std::make_pair(x, y), xs.size());
    isNew = added;
    if (added) {
        xs.push_back(x);
        ys.push_back(y);
        lines.push_back(line);
        tables.distinctXs.insert(x);
        tables.distinctYs.insert(y);
    }
    return place->second;
}

std::string GridCells::Describe(size_t cell) const {
    return "the cell at x_coord " + NumberText(xs[cell]) + ", y_coord " + NumberText(ys[cell]);
}

void CellRepeats::AddPosition(double x, double y, long line) {
    // Rows usually come in order, so most coordinates repeat the last one.
    if (positions.empty() || x != lastX) {
        tables.distinctXs.insert(x);
    }
    if (positions.empty() || y != lastY) {
        tables.distinctYs.insert(y);
    }
    lastX = x;
    lastY = y;
    positions.push_back({x, y, line});
}

void CellRepeats::AddId(long long id, long line) {
    ids.push_back({id, line});
}

namespace {

// The second of two equal entries whose line comes first, and the first of
// its group: sorted by key and line, a group's first two are its earliest.
template <typename Entry, typename Same>
std::optional<std::pair<const Entry*, const Entry*>> FirstSecond(const std::vector<Entry>& sorted,
                                                                 Same same) {
    std::optional<std::pair<const Entry*, const Entry*>> found;
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (same(sorted[i - 1], sorted[i]) && (i < 2 || !same(sorted[i - 2], sorted[i])) &&
            (!found || sorted[i].line < found->second->line)) {
            found = std::make_pair(&sorted[i - 1], &sorted[i]);
        }
    }
    return found;
}

}  // namespace

bool CellRepeats::FindFirst(const DelimitedTable& table, std::string& error) {
    std::sort(positions.begin(), positions.end(), [](const Position& a, const Position& b) {
        return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : a.line < b.line;
    });
    std::sort(ids.begin(), ids.end(), [](const Id& a, const Id& b) {
        return a.id != b.id ? a.id < b.id : a.line < b.line;
    });
    const auto cell = FirstSecond(
        positions, [](const Position& a, const Position& b) { return a.x == b.x && a.y == b.y; });
    const auto id = FirstSecond(ids, [](const Id& a, const Id& b) { return a.id == b.id; });
    // In one row the position is checked before the id.
    if (cell && (!id || cell->second->line <= id->second->line)) {
        error = table.Where(cell->second->line) + ", field " + Quoted(kYColumn) +
                ": the cell at x_coord " + NumberText(cell->first->x) + ", y_coord " +
                NumberText(cell->first->y) + " is given already on line " +
                std::to_string(cell->first->line);
        return true;
    }
    if (id) {
        error = table.Where(id->second->line) + ", field " + Quoted(kCellIdColumn) +
                ": the gridcell_id " + std::to_string(id->first->id) +
                " is given already on line " + std::to_string(id->first->line);
        return true;
    }
    return false;
}

bool TooManyTrees(const DelimitedTable& table, size_t count, std::string& error) {
    if (count <= size_t(kMaxPlotTrees)) {
        return false;
    }
    error = table.Where() + ": more than " + std::to_string(kMaxPlotTrees) +
            " trees, the most a plot file can hold";
    return true;
}

bool LongTrees::Find(const DelimitedTable& table, int column, const std::string& label,
                     size_t& tree, std::string& error) {
    const auto found = byLabel.find(label);
    if (found != byLabel.end()) {
        tree = found->second;
        return true;
    }
    const std::string key = FoldedName(label);
    if (key == kCellIdColumn || key == kXColumn || key == kYColumn) {
        error = table.Where(column) + ": " + Quoted(label) +
                " is the name of a position column, not of a tree";
        return false;
    }
    const auto [other, isNew] = byFolded.emplace(key, label);
    if (!isNew) {
        error = table.Where(column) + ": the tree label " + Quoted(label) +
                " differs only in case from " + Quoted(other->second) +
                ", which the plot file cannot tell apart";
        return false;
    }
    tree = trees.size();
    byLabel.emplace(label, tree);
    trees.push_back(label);
    return !TooManyTrees(table, trees.size(), error);
}

bool SortLongEntries(const DelimitedTable& table, const GridCells& cells,
                     const std::vector<std::string>& trees, std::vector<UptakeEntry>& entries,
                     std::string& error) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.cell != b.cell ? a.cell < b.cell : a.tree < b.tree;
    });
    // The sort keeps the file's order among equals, so the first of two is the earlier line.
    size_t duplicate = 0;
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].cell == entries[i - 1].cell && entries[i].tree == entries[i - 1].tree &&
            (!duplicate || entries[i].line < entries[duplicate].line)) {
            duplicate = i;
        }
    }
    if (!duplicate) {
        return true;
    }
    const UptakeEntry& entry = entries[duplicate];
    error = table.Where(entry.line) + ", field " + Quoted(kTreeColumn) + ": tree " +
            Quoted(trees[entry.tree]) + " in " + cells.Describe(entry.cell) +
            " is given already on line " + std::to_string(entries[duplicate - 1].line);
    return false;
}

void MissingUptake::Add(const DelimitedTable& table, int column) {
    if (count++ == 0) {
        first = table.Where(column).substr(table.Path().size() + 2);
    }
}

std::string MissingUptake::Warning(const std::string& path) const {
    if (count == 0) {
        return std::string();
    }
    return path + ": " +
           (count == 1 ? std::string("1 missing uptake value (NA, NaN or empty) is stored as 0, "
                                     "as no uptake, on ")
                       : std::to_string(count) +
                             " missing uptake values (NA, NaN or empty) are stored as 0, as no "
                             "uptake, the first on ") +
           first;
}

void AddWarnings(PlotTables& tables) {
    const std::set<std::string> grid(tables.trees.begin(), tables.trees.end());
    const std::vector<std::string>& labels = tables.stems[0].texts;
    const std::set<std::string> stems(labels.begin(), labels.end());
    std::vector<std::string> withoutStem, withoutColumn;
    std::copy_if(tables.trees.begin(), tables.trees.end(), std::back_inserter(withoutStem),
                 [&](const std::string& tree) { return !stems.count(tree); });
    std::copy_if(labels.begin(), labels.end(), std::back_inserter(withoutColumn),
                 [&](const std::string& stem) { return !grid.count(stem); });
    if (!withoutStem.empty()) {
        tables.warnings.push_back(
            Counted(withoutStem.size(), "tree of the grid has", "trees of the grid have") +
            " no stem row: " + NameList(withoutStem));
    }
    if (!withoutColumn.empty()) {
        tables.warnings.push_back(Counted(withoutColumn.size(), "stem has", "stems have") +
                                  " no grid column: " + NameList(withoutColumn));
    }
    const std::optional<double> dx = Spacing(tables.distinctXs, kXColumn, tables.warnings);
    const std::optional<double> dy = Spacing(tables.distinctYs, kYColumn, tables.warnings);
    if (dx && dy && std::fabs(*dx - *dy) > 1e-9 * std::max(*dx, *dy)) {
        tables.warnings.push_back("the cells are " + NumberText(*dx) + " apart along x_coord but " +
                                  NumberText(*dy) +
                                  " along y_coord; the plot is drawn with square cells");
    }
}

std::string UnusedColumnsWarning(const std::string& path, const std::vector<std::string>& names) {
    return path + ": columns not used in a long grid table: " + NameList(names);
}
