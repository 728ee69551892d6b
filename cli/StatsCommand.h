// `quenvar stats FILE.db`: the tree statistics, or the area each two trees
// share, as CSV for spreadsheets and scripts. The window's "Save as CSV..."
// writes the same text.
#pragma once

#include <string>
#include <vector>

#include "data/GroupStats.h"
#include "data/TreeStats.h"

class PlotFile;

// What `quenvar stats` is asked to compute, and where to write it.
struct StatsRequest {
    std::string databasePath;
    // Several files: one table with each file's rows, the file first; empty for one.
    std::vector<std::string> series;
    std::string comparePath;         // --compare: each tree's change to the plot there
    std::vector<std::string> trees;  // UTF-8 labels as given, without repeats; empty: every tree
    std::string outputPath;          // empty: standard output
    bool overlap = false;            // the overlap matrix instead of the statistics
    std::string by;                  // a stem column: one row per group of trees instead
};

// A label as one CSV field: in double quotes, its quotes doubled, when it
// holds a separator, a quote or a line break.
std::string LabelField(const std::string& label);

// The columns of the statistics, as the CSV's header names them.
const std::vector<std::string>& StatsColumns();
// A tree's fields in those columns as the CSV writes them, the label unquoted.
std::vector<std::string> StatsFields(const TreeStats& tree);

// A header line, then one line per tree: comma-separated, '.' as the decimal
// point, numbers with up to 9 significant digits, an empty field where a
// value does not exist; labels quoted where they hold a comma, a quote or a
// line break.
std::string StatsCsv(const TreeStatsTable& table);
// A header of "tree" and every tree, then one line per tree: the area of
// the cells it shares with each tree (its own area on the diagonal).
std::string OverlapCsv(const TreeStatsTable& table);
// The columns of the statistics of groups, and a group's fields in them.
const std::vector<std::string>& GroupStatsColumns();
std::vector<std::string> GroupStatsFields(const GroupStats& group);
// As StatsCsv and OverlapCsv, one line per group of trees.
std::string GroupStatsCsv(const GroupStatsTable& table);
std::string GroupOverlapCsv(const GroupStatsTable& table);
// The cell size the grid sets found for an open plot; none when they could
// not (their index tables could not be built).
std::optional<double> PlotCellSize(PlotFile& plot);
// The statistics request for an open plot file: its trees (or those given),
// and the cell size the program draws its blocks with.
TreeStatsRequest StatsRequestFor(PlotFile& plot, const std::vector<std::string>& trees,
                                 bool overlap);
// Writes the text to path, under a temporary name until it is complete;
// false with one line in error.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

// Opens the file as the export does (the same checks and messages, building
// the index tables when they are missing) and writes the CSV. Needs no
// display. Returns the exit code: 0 when it was written, 2 with one line on
// standard error otherwise.
int RunStatsCommand(const StatsRequest& request);
