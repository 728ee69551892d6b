#include "cli/StatsCommand.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "base/PendingFile.h"
#include "base/Text.h"
#include "cli/CommandPlot.h"
#include "data/PlotComparison.h"
#include "data/PlotFile.h"
#include "db/PlotLabels.h"

namespace {

std::string Number(double value) {
    char text[64];
    // Like "%.9g", but always with '.' whatever the locale; -0 is written 0.
    const auto result =
        std::to_chars(text, text + sizeof text, value + 0.0, std::chars_format::general, 9);
    return std::string(text, result.ptr);
}

std::string Field(const std::optional<double>& value) {
    return value ? Number(*value) : std::string();
}

bool WriteAll(int fd, const std::string& text) {
    const char* bytes = text.data();
    size_t size = text.size();
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

}  // namespace

std::string LabelField(const std::string& label) {
    if (label.find_first_of(",\"\r\n") == std::string::npos) {
        return label;
    }
    std::string field = "\"";
    for (char c : label) {
        field += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return field + "\"";
}

const std::vector<std::string>& StatsColumns() {
    static const std::vector<std::string> columns = {
        "tree",     "stem_x",   "stem_y", "uptake", "cells",       "area",         "share",
        "centre_x", "centre_y", "offset", "reach",  "shared_area", "shared_uptake"};
    return columns;
}

std::vector<std::string> StatsFields(const TreeStats& tree) {
    return {tree.tree,
            Field(tree.stemX),
            Field(tree.stemY),
            Number(tree.uptake),
            std::to_string(tree.cells),
            Number(tree.area),
            Field(tree.share),
            Field(tree.centreX),
            Field(tree.centreY),
            Field(tree.offset),
            Field(tree.reach),
            Number(tree.sharedArea),
            Number(tree.sharedUptake)};
}

std::string StatsCsv(const TreeStatsTable& table) {
    std::string text;
    for (const std::string& column : StatsColumns()) {
        text += (text.empty() ? "" : ",") + column;
    }
    text += "\n";
    for (const TreeStats& tree : table.trees) {
        std::vector<std::string> fields = StatsFields(tree);
        fields[0] = LabelField(fields[0]);
        for (size_t i = 0; i < fields.size(); ++i) {
            text += (i == 0 ? "" : ",") + fields[i];
        }
        text += "\n";
    }
    return text;
}

const std::vector<std::string>& GroupStatsColumns() {
    static const std::vector<std::string> columns = {
        "group", "trees", "uptake", "cells", "area", "share", "shared_area", "shared_uptake"};
    return columns;
}

std::vector<std::string> GroupStatsFields(const GroupStats& group) {
    return {group.group,
            std::to_string(group.trees),
            Number(group.uptake),
            std::to_string(group.cells),
            Number(group.area),
            Field(group.share),
            Number(group.sharedArea),
            Number(group.sharedUptake)};
}

namespace {

// A header line, then one line of fields per row, the first quoted as a label.
std::string CsvText(const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const std::string& column : header) {
        text += (text.empty() ? "" : ",") + LabelField(column);
    }
    text += "\n";
    for (std::vector<std::string> fields : rows) {
        fields[0] = LabelField(fields[0]);
        for (size_t i = 0; i < fields.size(); ++i) {
            text += (i == 0 ? "" : ",") + fields[i];
        }
        text += "\n";
    }
    return text;
}

}  // namespace

std::string GroupStatsCsv(const GroupStatsTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (const GroupStats& group : table.groups) {
        rows.push_back(GroupStatsFields(group));
    }
    return CsvText(GroupStatsColumns(), rows);
}

std::string GroupOverlapCsv(const GroupStatsTable& table) {
    std::vector<std::string> header = {"group"};
    std::vector<std::vector<std::string>> rows;
    const double cellArea = table.cellSize * table.cellSize;
    for (size_t i = 0; i < table.groups.size(); ++i) {
        header.push_back(table.groups[i].group);
        rows.push_back({table.groups[i].group});
        for (size_t j = 0; j < table.groups.size(); ++j) {
            rows.back().push_back(Number(double(table.sharedCells[i][j]) * cellArea));
        }
    }
    return CsvText(header, rows);
}

std::string OverlapCsv(const TreeStatsTable& table) {
    std::string text = "tree";
    for (const TreeStats& tree : table.trees) {
        text += "," + LabelField(tree.tree);
    }
    text += "\n";
    const double cellArea = table.cellSize * table.cellSize;
    for (size_t i = 0; i < table.trees.size(); ++i) {
        text += LabelField(table.trees[i].tree);
        for (size_t j = 0; j < table.trees.size(); ++j) {
            text += "," + Number(double(table.sharedCells[i][j]) * cellArea);
        }
        text += "\n";
    }
    return text;
}

TreeStatsRequest StatsRequestFor(PlotFile& plot, const std::vector<std::string>& trees,
                                 bool overlap) {
    TreeStatsRequest request;
    request.hasGrid = plot.HasRootData();
    request.hasStems = plot.HasStemData();
    request.trees = trees;
    request.overlap = overlap;
    request.cellSize = PlotCellSize(plot);
    return request;
}

std::optional<double> PlotCellSize(PlotFile& plot) {
    // The size the blocks and the scale are drawn with; a set without its
    // index table never learnt it.
    if (const NeighborGridData* grid = plot.GetNeighborGrid(); grid && grid->IsIndexReady()) {
        return grid->GetCellSize();
    }
    return std::nullopt;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
    PendingFile file(path);
    if (!file.Create(error)) {
        return false;
    }
    if (!WriteAll(file.Descriptor(), text)) {
        error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    return file.Publish(true, error);
}

namespace {

// The CSV of the plot's trees grouped by a stem column; false, and said,
// when it cannot be had.
bool GroupCsvOf(PlotFile& plot, const std::string& path, const StatsRequest& request,
                std::string& text) {
    std::string error;
    GroupStatsTable table;
    if (!ApplyGrouping(plot, request.by, {}, error)) {
        ReportToUser(error);
        return false;
    }
    if (!GatherGroupStats(plot.GetDatabase(), *plot.GetTreeGroups(), PlotCellSize(plot),
                          request.overlap, table, error)) {
        ReportToUser(Quoted(path) + ": " + error);
        return false;
    }
    text = request.overlap ? GroupOverlapCsv(table) : GroupStatsCsv(table);
    return true;
}

const std::vector<std::string> kComparedColumns = {
    "uptake_compared", "uptake_change", "cells_compared", "cells_change",
    "area_compared",   "area_change",   "share_compared", "share_change"};

// A tree that one plot lacks counts 0 there.
TreeStats Absent(const std::string& label) {
    TreeStats tree;
    tree.tree = label;
    tree.share = 0.0;
    return tree;
}

const TreeStats* Find(const TreeStatsTable& table, const std::string& label) {
    for (const TreeStats& tree : table.trees) {
        if (tree.tree == label) {
            return &tree;
        }
    }
    return nullptr;
}

std::string Change(const std::optional<double>& open, const std::optional<double>& other) {
    return open && other ? Number(*other - *open) : std::string();
}

std::vector<std::string> ComparedFields(const TreeStats& open, const TreeStats& other) {
    return {Number(other.uptake),        Number(other.uptake - open.uptake),
            std::to_string(other.cells), std::to_string(other.cells - open.cells),
            Number(other.area),          Number(other.area - open.area),
            Field(other.share),          Change(open.share, other.share)};
}

// The header line, and one line per tree: the open plot's trees, then the
// trees of the compared plot alone, each with its change (other - open).
std::string ComparedStatsCsv(const TreeStatsTable& open, const TreeStatsTable& other) {
    std::vector<std::string> header = StatsColumns();
    header.insert(header.end(), kComparedColumns.begin(), kComparedColumns.end());
    std::vector<TreeStats> trees = open.trees;
    for (const TreeStats& tree : other.trees) {
        if (!Find(open, tree.tree)) {
            trees.push_back(Absent(tree.tree));
        }
    }
    std::string text;
    for (const std::string& column : header) {
        text += (text.empty() ? "" : ",") + column;
    }
    text += "\n";
    for (const TreeStats& tree : trees) {
        const TreeStats* otherTree = Find(other, tree.tree);
        std::vector<std::string> fields = StatsFields(tree);
        fields[0] = LabelField(fields[0]);
        const std::vector<std::string> compared =
            ComparedFields(tree, otherTree ? *otherTree : Absent(tree.tree));
        fields.insert(fields.end(), compared.begin(), compared.end());
        for (size_t i = 0; i < fields.size(); ++i) {
            text += (i == 0 ? "" : ",") + fields[i];
        }
        text += "\n";
    }
    return text;
}

// The table of one plot; false, and said, when it cannot be had.
bool TableOf(PlotFile& plot, const std::string& path, const StatsRequest& request,
             TreeStatsTable& table) {
    std::string error;
    if (!GatherTreeStats(plot.GetDatabase(), StatsRequestFor(plot, request.trees, request.overlap),
                         table, error)) {
        ReportToUser(Quoted(path) + ": " + error);
        return false;
    }
    return true;
}

// The CSV of one plot, opened as the export opens it, and of its changes
// when it is compared: only to a plot of the same grid.
bool CsvOf(const std::string& path, const StatsRequest& request, std::string& text) {
    const std::unique_ptr<PlotFile> plot = OpenPlotToRead(path);
    if (plot && !request.by.empty()) {
        return GroupCsvOf(*plot, path, request, text);
    }
    TreeStatsTable table;
    if (!plot || !TableOf(*plot, path, request, table)) {
        return false;
    }
    if (request.comparePath.empty()) {
        text = request.overlap ? OverlapCsv(table) : StatsCsv(table);
        return true;
    }
    const std::unique_ptr<PlotFile> otherPlot = OpenPlotToRead(request.comparePath);
    if (!otherPlot) {
        return false;
    }
    std::string error;
    if (!PlotComparison::Make(*plot, *otherPlot, error)) {
        ReportToUser(error);
        return false;
    }
    TreeStatsTable other;
    if (!TableOf(*otherPlot, request.comparePath, request, other)) {
        return false;
    }
    text = ComparedStatsCsv(table, other);
    return true;
}

// Several plots in one table: each line led by its file, one header.
bool SeriesCsv(const StatsRequest& request, std::string& text) {
    bool complete = true;
    for (const std::string& path : request.series) {
        std::string csv;
        if (!CsvOf(path, request, csv)) {
            complete = false;
            continue;
        }
        const size_t headerEnd = csv.find('\n') + 1;
        if (text.empty()) {
            text = "file," + csv.substr(0, headerEnd);
        }
        for (size_t at = headerEnd; at < csv.size();) {
            const size_t end = csv.find('\n', at) + 1;
            text += LabelField(path) + "," + csv.substr(at, end - at);
            at = end;
        }
    }
    return complete;
}

bool CheckStatsInputs(const StatsRequest& request, std::string& error) {
    std::vector<std::string> inputs =
        request.series.empty() ? std::vector<std::string>{request.databasePath} : request.series;
    for (const std::string& path : inputs) {
        if (!CheckPlotRequest(path, request.trees, error)) {
            return false;
        }
    }
    if (!request.comparePath.empty() && !CheckPlotRequest(request.comparePath, {}, error)) {
        return false;
    }
    inputs.push_back(request.comparePath);
    return request.outputPath.empty() ||
           CheckOutputPath(request.outputPath, "the table", "the database file", inputs, error);
}

}  // namespace

int RunStatsCommand(const StatsRequest& request) {
    std::string error;
    if (!CheckStatsInputs(request, error)) {
        ReportToUser(error);
        return 2;
    }
    std::string text;
    const bool complete = request.series.empty() ? CsvOf(request.databasePath, request, text)
                                                 : SeriesCsv(request, text);
    if (text.empty()) {
        return 2;
    }
    if (!request.outputPath.empty()) {
        if (!WriteTextFile(request.outputPath, text, error)) {
            ReportToUser(error);
            return 2;
        }
        return complete ? 0 : 2;
    }
    if (!WriteAll(STDOUT_FILENO, text)) {
        ReportToUser(std::string("cannot write the table to standard output: ") +
                     std::strerror(errno));
        return 2;
    }
    return complete ? 0 : 2;
}
