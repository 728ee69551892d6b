#include "data/PlotTables.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "base/Text.h"
#include "data/DelimitedTable.h"
#include "data/PlotCheck.h"

namespace {

using Fields = DelimitedTable::Fields;

// Tells the progress every so many rows: often enough for a smooth bar,
// seldom enough to cost nothing.
class Progress {
  public:
    Progress(const ReadProgress& report, uint64_t total) : report(report), total(total) {}

    void Row(const DelimitedTable& table) {
        if (report && ++rows % 4096 == 0) {
            report(done + table.Position(), total);
        }
    }
    void TableRead(const DelimitedTable& table) {
        done += table.Size();
        if (report) {
            report(done, total);
        }
    }

  private:
    const ReadProgress& report;
    uint64_t total;
    uint64_t done = 0;
    uint64_t rows = 0;
};

uint64_t FileSize(const std::string& path) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(path, ignored);
    return ignored ? 0 : size;
}

std::optional<long long> CellId(const DelimitedTable& table, const Fields& fields, int column,
                                std::string& error) {
    const std::optional<double> value = table.Number(fields, column, error);
    if (!value) {
        return std::nullopt;
    }
    if (*value != std::floor(*value) || std::fabs(*value) > 9.0e15) {
        error = table.Where(column) + ": " + Quoted(std::string(fields[column])) +
                " is not a whole number";
        return std::nullopt;
    }
    return static_cast<long long>(*value);
}

// A tree's uptake in a cell; what R or pandas writes for a missing value is none.
std::optional<double> Uptake(const DelimitedTable& table, const Fields& fields, int column,
                             MissingUptake& missing, std::string& error) {
    if (IsMissing(fields[column])) {
        missing.Add(table, column);
        return 0.0;
    }
    return table.Number(fields, column, error);
}

// The position of the row last read, refused when it is no number.
bool Position(const DelimitedTable& table, const Fields& fields, int xColumn, int yColumn,
              double& x, double& y, std::string& error) {
    const std::optional<double> xValue = table.Number(fields, xColumn, error);
    const std::optional<double> yValue = xValue ? table.Number(fields, yColumn, error) : xValue;
    x = xValue.value_or(0.0);
    y = yValue.value_or(0.0);
    return yValue.has_value();
}

bool ReadWideGrid(DelimitedTable& table, GridSink& sink, PlotTables& tables, Progress& progress,
                  MissingUptake& missing, std::string& error) {
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
    if (TooManyTrees(table, tables.trees.size(), error) || !sink.StartGrid(tables.trees)) {
        return false;
    }
    CellRepeats repeats(tables);
    // A cell or id given twice on an earlier line is the first fault.
    auto fail = [&] {
        repeats.FindFirst(table, error);
        return false;
    };
    std::vector<double> uptake(treeColumns.size());
    Fields fields;
    while (table.Next(fields, error)) {
        double x = 0.0;
        double y = 0.0;
        if (!Position(table, fields, position[0], position[1], x, y, error)) {
            return fail();
        }
        repeats.AddPosition(x, y, table.Line());
        long long id = static_cast<long long>(tables.cells) + 1;
        if (idColumn >= 0) {
            const std::optional<long long> given = CellId(table, fields, idColumn, error);
            if (!given) {
                return fail();
            }
            id = *given;
            repeats.AddId(id, table.Line());
        }
        for (size_t t = 0; t < treeColumns.size(); ++t) {
            const std::optional<double> value =
                Uptake(table, fields, treeColumns[t], missing, error);
            if (!value) {
                return fail();
            }
            uptake[t] = *value;
        }
        if (!sink.AddCell(id, x, y, uptake.data())) {
            return false;
        }
        ++tables.cells;
        progress.Row(table);
    }
    return error.empty() ? !repeats.FindFirst(table, error) : fail();
}

// The trees of a long table are known only at its end, so its rows are
// kept, small, until then.
bool ReadLongGrid(DelimitedTable& table, GridSink& sink, PlotTables& tables, Progress& progress,
                  MissingUptake& missing, std::string& error) {
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
    Fields fields;
    std::string label;
    while (table.Next(fields, error)) {
        double x = 0.0;
        double y = 0.0;
        if (!Position(table, fields, column[0], column[1], x, y, error)) {
            return false;
        }
        const std::optional<double> value = Uptake(table, fields, column[3], missing, error);
        if (!value) {
            return false;
        }
        label.assign(fields[column[2]]);
        if (label.empty()) {
            error = table.Where(column[2]) + ": empty tree label";
            return false;
        }
        size_t tree = 0;
        if (!trees.Find(table, column[2], label, tree, error)) {
            return false;
        }
        bool isNew = false;
        const size_t cell = cells.Find(x, y, table.Line(), isNew);
        entries.push_back({uint32_t(cell), uint32_t(tree), *value, table.Line()});
        progress.Row(table);
    }
    if (!error.empty() || !SortLongEntries(table, cells, tables.trees, entries, error) ||
        !sink.StartGrid(tables.trees)) {
        return false;
    }
    // Trees missing from a cell take up nothing there.
    std::vector<double> uptake(tables.trees.size());
    auto entry = entries.begin();
    for (size_t cell = 0; cell < cells.Count(); ++cell) {
        std::fill(uptake.begin(), uptake.end(), 0.0);
        for (; entry != entries.end() && entry->cell == cell; ++entry) {
            uptake[entry->tree] = entry->value;
        }
        if (!sink.AddCell(static_cast<long long>(cell) + 1, cells.X(cell), cells.Y(cell),
                          uptake.data())) {
            return false;
        }
        ++tables.cells;
    }
    return true;
}

bool ReadGrid(const std::string& path, GridSink& sink, PlotTables& tables, Progress& progress,
              std::string& error) {
    DelimitedTable table(path);
    if (!table.Open(error)) {
        return false;
    }
    const bool isLong = table.Column(kTreeColumn) >= 0 && table.Column(kUptakeColumn) >= 0;
    MissingUptake missing;
    if (!(isLong ? ReadLongGrid(table, sink, tables, progress, missing, error)
                 : ReadWideGrid(table, sink, tables, progress, missing, error))) {
        return false;
    }
    if (tables.cells == 0) {
        error = path + ": no grid cells below the header";
        return false;
    }
    for (const std::string& warning : {table.RowNumbersWarning(), missing.Warning(path)}) {
        if (!warning.empty()) {
            tables.warnings.push_back(warning);
        }
    }
    progress.TableRead(table);
    return true;
}

// A stem attribute is numeric when every value is a number or missing (NA,
// NaN or empty, stored as -1, the mark of a missing attribute) and one at
// least is a number.
void TypeStemColumn(const DelimitedTable& table, StemColumn& column) {
    std::vector<double> numbers;
    bool anyNumber = false;
    for (const std::string& text : column.texts) {
        if (IsMissing(text)) {
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

bool ReadStems(const std::string& path, PlotTables& tables, Progress& progress,
               std::string& error) {
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
    Fields fields;
    while (table.Next(fields, error)) {
        const std::string label(fields[position[0]]);
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
            stems[i].texts.emplace_back(fields[order[i]]);
        }
        progress.Row(table);
    }
    if (!error.empty()) {
        return false;
    }
    for (size_t i = 3; i < stems.size(); ++i) {
        TypeStemColumn(table, stems[i]);
    }
    const std::string rowNumbers = table.RowNumbersWarning();
    if (!rowNumbers.empty()) {
        tables.warnings.push_back(rowNumbers);
    }
    progress.TableRead(table);
    return true;
}

}  // namespace

bool ReadPlotTables(const std::string& gridPath, const std::string& stemsPath, GridSink& sink,
                    PlotTables& tables, std::string& error, const ReadProgress& progress) {
    tables = PlotTables();
    error.clear();
    Progress ticker(progress, FileSize(gridPath) + FileSize(stemsPath));
    if (!ReadGrid(gridPath, sink, tables, ticker, error) ||
        !ReadStems(stemsPath, tables, ticker, error)) {
        return false;
    }
    AddWarnings(tables);
    return true;
}

bool HasStemHeader(const std::string& path) {
    DelimitedTable table(path);
    std::string ignored;
    return table.Open(ignored) && table.Column(kStemXColumn) >= 0 &&
           table.Column(kStemYColumn) >= 0 && table.Column(kXColumn) < 0;
}
