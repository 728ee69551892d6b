// The numbers of groups of trees (trees grouped by a stem column), one row
// per group, as the tree statistics give them per tree: how much the group
// takes up and from how many cells, its share of all uptake, and how much
// of it comes from cells another group takes up from too; and for each two
// groups the area both take up from. Pure: one pass over grid, no display.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "data/TreeGroups.h"
#include "db/Database.h"

struct GroupStats {
    std::string group;  // its name, UTF-8
    size_t trees = 0;   // the grid's trees in the group
    // The sum of its trees' values above 0.
    double uptake = 0.0;
    // Cells where at least one of its trees takes up (a value above 0).
    long long cells = 0;
    double area = 0.0;
    // Of the uptake of every tree; none when that is 0.
    std::optional<double> share;
    // Its cells where a tree of another group takes up too, and its uptake there.
    double sharedArea = 0.0;
    double sharedUptake = 0.0;
};

struct GroupStatsTable {
    std::string column;  // the stem column the trees are grouped by
    double cellSize = 1.0;
    std::vector<GroupStats> groups;  // in the order of the grouping's names
    // With overlap: for groups i and j, the number of cells where both take
    // up (the diagonal: each group's own cells).
    std::vector<std::vector<long long>> sharedCells;
};

// cellSize: as the grid sets found it, or none to find it as the tree
// statistics do. False with one line in error when grid cannot be read to
// its end.
bool GatherGroupStats(Database database, const TreeGroups& groups,
                      const std::optional<double>& cellSize, bool overlap, GroupStatsTable& table,
                      std::string& error, ProgressMonitor* monitor = nullptr);
