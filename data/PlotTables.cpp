#include "data/PlotTables.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "base/Text.h"
#include "data/DelimitedTable.h"
#include "data/PlotCheck.h"

namespace {

std::optional<long long> CellId(const DelimitedTable& table, const std::vector<std::string>& fields,
                                int column, std::string& error) {
    const std::optional<double> value = table.Number(fields, column, error);
    if (!value) {
        return std::nullopt;
    }
    if (*value != std::floor(*value) || std::fabs(*value) > 9.0e15) {
        error = table.Where(column) + ": " + Quoted(fields[column]) + " is not a whole number";
        return std::nullopt;
    }
    return static_cast<long long>(*value);
}

bool ReadWideGrid(DelimitedTable& table, PlotTables& tables, std::string& error) {
    std::vector<int> position;
    if (!table.NeedColumns({kXColumn, kYColumn}, position, error)) {
        return false;
    }
    const int idColumn = table.Column(kCellIdColumn);
    std::vector<int> treeColumns;
    for (int c = 0; c < int(table.Header().size()); ++c) {
        if (c != position[0] && c != position[1] && c != idColumn) {
            treeColumns.push_back(c);
            tables.trees.push_back(table.Header()[c]);
        }
    }
    if (TooManyTrees(table, tables.trees.size(), error)) {
        return false;
    }
    GridCells cells(tables);
    std::map<long long, long> idLines;
    std::vector<std::string> fields;
    while (table.Next(fields, error)) {
        const std::optional<double> x = table.Number(fields, position[0], error);
        const std::optional<double> y = x ? table.Number(fields, position[1], error) : x;
        if (!y) {
            return false;
        }
        bool isNew = false;
        const size_t cell = cells.Find(*x, *y, table.Line(), isNew);
        if (!isNew) {
            error = table.Where(position[1]) + ": " + cells.Describe(cell) +
                    " is given already on line " + std::to_string(cells.LineOf(cell));
            return false;
        }
        long long id = static_cast<long long>(cell) + 1;
        if (idColumn >= 0) {
            const std::optional<long long> given = CellId(table, fields, idColumn, error);
            if (!given) {
                return false;
            }
            id = *given;
            const auto [earlier, isNewId] = idLines.emplace(id, table.Line());
            if (!isNewId) {
                error = table.Where(idColumn) + ": the gridcell_id " + std::to_string(id) +
                        " is given already on line " + std::to_string(earlier->second);
                return false;
            }
        }
        tables.cellIds.push_back(id);
        for (int column : treeColumns) {
            const std::optional<double> value = table.Number(fields, column, error);
            if (!value) {
                return false;
            }
            tables.uptake.push_back(*value);
        }
    }
    return error.empty();
}

bool ReadLongGrid(DelimitedTable& table, PlotTables& tables, std::string& error) {
    std::vector<int> column;
    if (!table.NeedColumns({kXColumn, kYColumn, kTreeColumn, kUptakeColumn}, column, error)) {
        return false;
    }
    std::vector<std::string> unused;
    for (int c = 0; c < int(table.Header().size()); ++c) {
        if (std::find(column.begin(), column.end(), c) == column.end()) {
            unused.push_back(table.Header()[c]);
        }
    }
    if (!unused.empty()) {
        tables.warnings.push_back(UnusedColumnsWarning(table.Path(), unused));
    }
    GridCells cells(tables);
    LongTrees trees(tables.trees);
    std::vector<UptakeEntry> entries;
    std::vector<std::string> fields;
    while (table.Next(fields, error)) {
        const std::optional<double> x = table.Number(fields, column[0], error);
        const std::optional<double> y = x ? table.Number(fields, column[1], error) : x;
        const std::optional<double> value = y ? table.Number(fields, column[3], error) : y;
        if (!value) {
            return false;
        }
        const std::string& label = fields[column[2]];
        if (label.empty()) {
            error = table.Where(column[2]) + ": empty tree label";
            return false;
        }
        size_t tree = 0;
        if (!trees.Find(table, column[2], label, tree, error)) {
            return false;
        }
        bool isNew = false;
        entries.push_back({cells.Find(*x, *y, table.Line(), isNew), tree, *value, table.Line()});
    }
    if (!error.empty() || !SortLongEntries(table, cells, tables.trees, entries, error)) {
        return false;
    }
    // Trees missing from a cell take up nothing there.
    tables.uptake.assign(tables.xs.size() * tables.trees.size(), 0.0);
    for (const UptakeEntry& entry : entries) {
        tables.uptake[entry.cell * tables.trees.size() + entry.tree] = entry.value;
    }
    for (size_t cell = 0; cell < tables.xs.size(); ++cell) {
        tables.cellIds.push_back(static_cast<long long>(cell) + 1);
    }
    return true;
}

bool ReadGrid(const std::string& path, PlotTables& tables, std::string& error) {
    DelimitedTable table(path);
    if (!table.Open(error)) {
        return false;
    }
    const bool isLong = table.Column(kTreeColumn) >= 0 && table.Column(kUptakeColumn) >= 0;
    if (!(isLong ? ReadLongGrid(table, tables, error) : ReadWideGrid(table, tables, error))) {
        return false;
    }
    if (tables.xs.empty()) {
        error = path + ": no grid cells below the header";
        return false;
    }
    return true;
}

// A stem attribute is numeric when every value is a number or missing (empty
// or NA, stored as -1, the mark of a missing attribute) and one at least is a number.
void TypeStemColumn(const DelimitedTable& table, StemColumn& column) {
    std::vector<double> numbers;
    bool anyNumber = false;
    for (const std::string& text : column.texts) {
        if (text.empty() || text == "NA") {
            numbers.push_back(-1.0);
            continue;
        }
        const std::optional<double> value = table.Number(text);
        if (!value) {
            return;
        }
        numbers.push_back(*value);
        anyNumber = true;
    }
    if (anyNumber) {
        column.numeric = true;
        column.numbers = std::move(numbers);
        column.texts.clear();
    }
}

bool ReadStems(const std::string& path, PlotTables& tables, std::string& error) {
    DelimitedTable table(path);
    std::vector<int> position;
    if (!table.Open(error) ||
        !table.NeedColumns({kTreeColumn, kStemXColumn, kStemYColumn}, position, error)) {
        return false;
    }
    std::vector<int> order = position;
    for (int c = 0; c < int(table.Header().size()); ++c) {
        if (std::find(position.begin(), position.end(), c) == position.end()) {
            order.push_back(c);
        }
    }
    std::vector<StemColumn>& stems = tables.stems;
    for (int c : order) {
        // Tree is text and the positions numbers; the rest are typed once read.
        stems.push_back(
            StemColumn{table.Header()[c], c == position[1] || c == position[2], {}, {}});
    }
    std::map<std::string, long> labelLines;
    std::vector<std::string> fields;
    while (table.Next(fields, error)) {
        const std::string& label = fields[position[0]];
        const auto [earlier, isNew] = labelLines.emplace(label, table.Line());
        if (label.empty() || !isNew) {
            error = table.Where(position[0]) + ": " +
                    (label.empty() ? std::string("empty tree label")
                                   : "the tree " + Quoted(label) + " is given already on line " +
                                         std::to_string(earlier->second));
            return false;
        }
        stems[0].texts.push_back(label);
        for (size_t i = 1; i < 3; ++i) {
            const std::optional<double> value = table.Number(fields, order[i], error);
            if (!value) {
                return false;
            }
            stems[i].numbers.push_back(*value);
        }
        for (size_t i = 3; i < order.size(); ++i) {
            stems[i].texts.push_back(fields[order[i]]);
        }
    }
    for (size_t i = 3; i < stems.size(); ++i) {
        TypeStemColumn(table, stems[i]);
    }
    return error.empty();
}

}  // namespace

bool ReadPlotTables(const std::string& gridPath, const std::string& stemsPath, PlotTables& tables,
                    std::string& error) {
    tables = PlotTables();
    if (!ReadGrid(gridPath, tables, error) || !ReadStems(stemsPath, tables, error)) {
        return false;
    }
    AddWarnings(tables);
    return true;
}
