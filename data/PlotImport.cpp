#include "data/PlotImport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "base/NumberText.h"
#include "base/PendingFile.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "data/PlotGenerator.h"
#include "db/BulkWriter.h"
#include "db/CsvReader.h"
#include "db/SqlText.h"

namespace {

const char* const kCellId = "gridcell_id";
const char* const kX = "x_coord";
const char* const kY = "y_coord";
const char* const kTree = "Tree";
const char* const kUptake = "uptake";
const char* const kStemX = "Xrot0";
const char* const kStemY = "Yrot0";

// Names listed in a warning before the rest is only counted.
const size_t kListedNames = 20;

// SQLite compares column names without regard to ASCII case.
std::string Folded(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

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

// One delimited file read row by row, with the place of every problem.
class TextTable {
  public:
    explicit TextTable(const std::string& path)
        : path(path),
          reader(wxString::FromUTF8(path.c_str()), wxString(), false, CsvDialect::Quoted) {}

    bool Open(std::string& error);
    int Column(const std::string& name) const;
    const std::vector<std::string>& Header() const { return header; }
    // The next row with as many fields as the header; false at the end or
    // on a problem (error is then set).
    bool Next(std::vector<std::string>& fields, std::string& error);
    const std::string& Path() const { return path; }
    long Line() const { return reader.LineNumber(); }
    std::string Where() const { return Where(Line()); }
    std::string Where(long line) const { return path + ", line " + std::to_string(line); }
    std::string Where(int column) const { return Where() + ", field " + Quoted(header[column]); }
    // A field as a number, read with the file's decimal mark.
    std::optional<double> Number(const std::string& text) const;
    std::optional<double> Number(const std::vector<std::string>& fields, int column,
                                 std::string& error) const;

  private:
    std::string path;
    CsvReader reader;
    std::vector<std::string> header;
};

bool TextTable::Open(std::string& error) {
    if (!CheckReadableFile(path, error)) {
        return false;
    }
    if (!reader.IsUsable() || reader.AtEnd()) {
        error = path +
                ", line 1: the header names no columns separated by commas, semicolons "
                "or tabs";
        return false;
    }
    const CsvRow row = reader.ReadRow();
    std::set<std::string> seen;
    for (const wxString& token : row.Tokens()) {
        header.push_back(Utf8(token));
        if (header.back().empty()) {
            error = Where() + ": column " + std::to_string(header.size()) + " has no name";
            return false;
        }
        if (!seen.insert(Folded(header.back())).second) {
            error = Where() + ", field " + Quoted(header.back()) + ": the column appears twice";
            return false;
        }
    }
    if (!reader.RowProblem().empty()) {
        error = Where() + ": " + Utf8(reader.RowProblem());
        return false;
    }
    return true;
}

int TextTable::Column(const std::string& name) const {
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? -1 : int(found - header.begin());
}

bool TextTable::Next(std::vector<std::string>& fields, std::string& error) {
    while (!reader.AtEnd()) {
        const CsvRow row = reader.ReadRow();
        if (!reader.RowProblem().empty()) {
            error = Where() + ": " + Utf8(reader.RowProblem());
            return false;
        }
        // Blank lines, often at the end of a file, hold no row.
        if (row.IsNull() || (row.Count() == 1 && row.Field(0).empty())) {
            continue;
        }
        if (row.Count() != header.size()) {
            error = Where() + ": " + std::to_string(row.Count()) + " fields, but the header has " +
                    std::to_string(header.size());
            error += row.Count() < header.size()
                         ? " (field " + Quoted(header[row.Count()]) + " is missing)"
                         : "";
            return false;
        }
        fields.clear();
        for (const wxString& token : row.Tokens()) {
            fields.push_back(Utf8(token));
        }
        return true;
    }
    return false;
}

std::optional<double> TextTable::Number(const std::string& field) const {
    std::string text = field;
    // Spreadsheets that separate fields with semicolons write decimal commas.
    if (reader.Separators() == ";" && std::count(text.begin(), text.end(), ',') == 1 &&
        text.find('.') == std::string::npos) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return ParseNumber(text);
}

std::optional<double> TextTable::Number(const std::vector<std::string>& fields, int column,
                                        std::string& error) const {
    const std::string& text = fields[column];
    const std::optional<double> value = Number(text);
    if (!value) {
        error = Where(column) + ": " +
                (text.empty() ? std::string("empty, where a number belongs")
                              : Quoted(fields[column]) + " is not a number");
    }
    return value;
}

bool NeedColumns(const TextTable& table, const std::vector<const char*>& names,
                 std::vector<int>& columns, std::string& error) {
    for (const char* name : names) {
        columns.push_back(table.Column(name));
        if (columns.back() < 0) {
            std::string all;
            for (const char* each : names) {
                all += std::string(all.empty() ? "" : ", ") + each;
            }
            error =
                table.Where() + ": no column " + Quoted(name) + " (the header needs " + all + ")";
            return false;
        }
    }
    return true;
}

// The cells of the grid in order of first appearance, found by their exact position.
class CellList {
  public:
    explicit CellList(PlotTables& tables) : tables(tables) {}

    // The index of the cell at (x, y), added when new; line is where it is given.
    size_t Find(double x, double y, long line, bool& isNew) {
        const auto [place, added] = index.emplace(std::make_pair(x, y), tables.xs.size());
        isNew = added;
        if (added) {
            tables.xs.push_back(x);
            tables.ys.push_back(y);
            lines.push_back(line);
        }
        return place->second;
    }
    long LineOf(size_t cell) const { return lines[cell]; }

  private:
    PlotTables& tables;
    std::map<std::pair<double, double>, size_t> index;
    std::vector<long> lines;
};

std::string CellText(const PlotTables& tables, size_t cell) {
    return "the cell at x_coord " + NumberText(tables.xs[cell]) + ", y_coord " +
           NumberText(tables.ys[cell]);
}

bool TooManyTrees(const TextTable& table, size_t count, std::string& error) {
    if (count <= size_t(kMaxPlotTrees)) {
        return false;
    }
    error = table.Where() + ": more than " + std::to_string(kMaxPlotTrees) +
            " trees, the most a plot file can hold";
    return true;
}

std::optional<long long> CellId(const TextTable& table, const std::vector<std::string>& fields,
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

bool ReadWideGrid(TextTable& table, PlotTables& tables, std::string& error) {
    std::vector<int> position;
    if (!NeedColumns(table, {kX, kY}, position, error)) {
        return false;
    }
    const int idColumn = table.Column(kCellId);
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
    CellList cells(tables);
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
            error = table.Where(position[1]) + ": " + CellText(tables, cell) +
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

// One row of a long grid table.
struct UptakeEntry {
    size_t cell;
    size_t tree;
    double value;
    long line;
};

bool AddLongTree(const TextTable& table, const std::string& label, PlotTables& tables,
                 std::map<std::string, size_t>& treeIndex,
                 std::map<std::string, std::string>& folded, size_t& tree, std::string& error) {
    const auto found = treeIndex.find(label);
    if (found != treeIndex.end()) {
        tree = found->second;
        return true;
    }
    const std::string key = Folded(label);
    if (key == kCellId || key == kX || key == kY) {
        error = table.Where(table.Column(kTree)) + ": " + Quoted(label) +
                " is the name of a position column, not of a tree";
        return false;
    }
    const auto [other, isNew] = folded.emplace(key, label);
    if (!isNew) {
        error = table.Where(table.Column(kTree)) + ": the tree label " + Quoted(label) +
                " differs only in case from " + Quoted(other->second) +
                ", which the plot file cannot tell apart";
        return false;
    }
    tree = tables.trees.size();
    treeIndex.emplace(label, tree);
    tables.trees.push_back(label);
    return !TooManyTrees(table, tables.trees.size(), error);
}

bool FillLongUptake(const TextTable& table, std::vector<UptakeEntry>& entries, PlotTables& tables,
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
    if (duplicate) {
        const UptakeEntry& entry = entries[duplicate];
        error = table.Where(entry.line) + ", field " + Quoted(kTree) + ": tree " +
                Quoted(tables.trees[entry.tree]) + " in " + CellText(tables, entry.cell) +
                " is given already on line " + std::to_string(entries[duplicate - 1].line);
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

bool ReadLongGrid(TextTable& table, PlotTables& tables, std::string& error) {
    std::vector<int> column;
    if (!NeedColumns(table, {kX, kY, kTree, kUptake}, column, error)) {
        return false;
    }
    std::vector<std::string> unused;
    for (const std::string& name : table.Header()) {
        if (name != kX && name != kY && name != kTree && name != kUptake) {
            unused.push_back(name);
        }
    }
    if (!unused.empty()) {
        tables.warnings.push_back(table.Path() +
                                  ": columns not used in a long grid table: " + NameList(unused));
    }
    CellList cells(tables);
    std::map<std::string, size_t> treeIndex;
    std::map<std::string, std::string> folded;
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
        if (!AddLongTree(table, label, tables, treeIndex, folded, tree, error)) {
            return false;
        }
        bool isNew = false;
        entries.push_back({cells.Find(*x, *y, table.Line(), isNew), tree, *value, table.Line()});
    }
    return error.empty() && FillLongUptake(table, entries, tables, error);
}

bool ReadGrid(const std::string& path, PlotTables& tables, std::string& error) {
    TextTable table(path);
    if (!table.Open(error)) {
        return false;
    }
    const bool isLong = table.Column(kTree) >= 0 && table.Column(kUptake) >= 0;
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
void TypeStemColumn(const TextTable& table, StemColumn& column) {
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
    TextTable table(path);
    std::vector<int> position;
    if (!table.Open(error) || !NeedColumns(table, {kTree, kStemX, kStemY}, position, error)) {
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

// Distinct coordinates whose steps are not whole multiples of the smallest
// one make the blocks overlap or leave gaps.
std::optional<double> Spacing(std::vector<double> values, const char* axis,
                              std::vector<std::string>& warnings) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
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
    const std::optional<double> dx = Spacing(tables.xs, kX, tables.warnings);
    const std::optional<double> dy = Spacing(tables.ys, kY, tables.warnings);
    if (dx && dy && std::fabs(*dx - *dy) > 1e-9 * std::max(*dx, *dy)) {
        tables.warnings.push_back("the cells are " + NumberText(*dx) + " apart along x_coord but " +
                                  NumberText(*dy) +
                                  " along y_coord; the plot is drawn with square cells");
    }
}

bool WriteTables(BulkWriter& writer, const PlotTables& tables) {
    std::string create = "CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double";
    std::string insert = "INSERT INTO grid VALUES (?, ?, ?";
    for (const std::string& tree : tables.trees) {
        create += ", " + SqlName(tree) + " double";
        insert += ", ?";
    }
    bool ok = writer.Exec("BEGIN") && writer.Exec(create + ")") && writer.Prepare(insert + ")");
    const size_t treeCount = tables.trees.size();
    for (size_t cell = 0; ok && cell < tables.xs.size(); ++cell) {
        writer.BindInt(1, tables.cellIds[cell]);
        writer.BindDouble(2, tables.xs[cell]);
        writer.BindDouble(3, tables.ys[cell]);
        for (size_t t = 0; t < treeCount; ++t) {
            writer.BindDouble(int(t) + 4, tables.uptake[cell * treeCount + t]);
        }
        ok = writer.Step();
    }
    create = "CREATE TABLE stem (";
    insert = "INSERT INTO stem VALUES (";
    for (size_t i = 0; i < tables.stems.size(); ++i) {
        create += (i > 0 ? ", " : "") + SqlName(tables.stems[i].name) +
                  (tables.stems[i].numeric ? " double" : " text");
        insert += i > 0 ? ", ?" : "?";
    }
    ok = ok && writer.Exec(create + ")") && writer.Prepare(insert + ")");
    const size_t stemCount = tables.stems[0].texts.size();
    for (size_t row = 0; ok && row < stemCount; ++row) {
        for (size_t i = 0; i < tables.stems.size(); ++i) {
            const StemColumn& column = tables.stems[i];
            if (column.numeric) {
                writer.BindDouble(int(i) + 1, column.numbers[row]);
            } else {
                writer.BindText(int(i) + 1, column.texts[row]);
            }
        }
        ok = writer.Step();
    }
    return ok && writer.Exec("COMMIT");
}

bool CheckOutput(const ImportRequest& request, std::string& error) {
    std::error_code code;
    const std::filesystem::path output(request.outputPath);
    if (std::filesystem::is_directory(output, code)) {
        error = "cannot write " + Quoted(request.outputPath) + ": it is a folder";
        return false;
    }
    for (const std::string& input : {request.gridPath, request.stemsPath}) {
        if (std::filesystem::equivalent(output, input, code)) {
            error = "will not write the plot over its input file " + Quoted(input);
            return false;
        }
    }
    if (!request.overwrite && std::filesystem::exists(output, code)) {
        error = Quoted(request.outputPath) + " exists already; give --force to replace it";
        return false;
    }
    return true;
}

void Tell(ProgressMonitor* monitor, const char* message) {
    if (monitor) {
        monitor->SetMessage("%s", message);
    }
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

ImportOutcome ImportPlot(const ImportRequest& request, ProgressMonitor* monitor) {
    ImportOutcome outcome;
    PlotTables tables;
    Tell(monitor, "Reading the grid and stem tables...");
    if (!CheckOutput(request, outcome.error) ||
        !ReadPlotTables(request.gridPath, request.stemsPath, tables, outcome.error)) {
        return outcome;
    }
    outcome.warnings = tables.warnings;
    Tell(monitor, "Writing the plot file...");
    PendingFile file(request.outputPath);
    if (!file.Create(outcome.error)) {
        return outcome;
    }
    BulkWriter writer(file.TemporaryPath());
    if (!writer.IsOpen() || !WriteTables(writer, tables)) {
        outcome.error = "cannot write " + Quoted(request.outputPath) + ": " + writer.Error();
        return outcome;
    }
    writer.Close();
    outcome.written = file.Publish(request.overwrite, outcome.error);
    outcome.cells = tables.xs.size();
    outcome.trees = tables.trees.size();
    outcome.stems = tables.stems[0].texts.size();
    return outcome;
}
