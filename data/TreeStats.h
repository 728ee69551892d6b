// The numbers behind the map, one row per tree: how much nitrogen it takes
// up, from how many cells and how far from its stem, and how much of that it
// shares with other trees; and for each two trees the area both take up
// from. A tree's cells are those where its value is above 0, as the tree
// count counts them. Pure: computed from grid and stem, without a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "db/Database.h"

struct TreeStats {
    std::string tree;  // UTF-8 label
    // The stem position; none without a stem row (or without a position in it).
    std::optional<double> stemX;
    std::optional<double> stemY;
    double uptake = 0.0;  // the sum of its values over its cells
    long long cells = 0;
    double area = 0.0;
    // Of the uptake of every tree of the grid; none when that is 0.
    std::optional<double> share;
    // The uptake-weighted mean of its cells' centres; none without cells.
    std::optional<double> centreX;
    std::optional<double> centreY;
    // From the stem to the centre, and to the farthest centre of its cells;
    // none without a stem or without cells.
    std::optional<double> offset;
    std::optional<double> reach;
    // Its cells where another tree also takes up, and its uptake there.
    double sharedArea = 0.0;
    double sharedUptake = 0.0;
};

struct TreeStatsRequest {
    bool hasGrid = true;  // false for a file without a grid table: no cells
    bool hasStems = true;
    // UTF-8 labels in the order to list them; empty lists every tree column
    // of the grid in column order. A label without a grid column (a stem
    // only) is listed without cells.
    std::vector<std::string> trees;
    // As the grid sets found it; none when they could not (their index
    // tables could not be built), and the pass then finds it by the same
    // rule: the distance of the two greatest distinct x_coord values.
    std::optional<double> cellSize;
    bool overlap = false;  // also count the cells each two listed trees share
};

struct TreeStatsTable {
    double cellSize = 1.0;
    std::vector<TreeStats> trees;
    // With overlap: for listed trees i and j, the number of cells where both
    // take up (the diagonal: each tree's own cells).
    std::vector<std::vector<long long>> sharedCells;
};

// The cell size the grid sets find, worked out from grid itself: the
// distance of its two greatest distinct x_coord values, each read in single
// precision as the sets read them; 1 with fewer than two.
double GridCellSize(Database database);

// One pass over grid; false with one line in error when it cannot be read to
// its end. The monitor, when given, hears what is being done.
bool GatherTreeStats(Database database, const TreeStatsRequest& request, TreeStatsTable& table,
                     std::string& error, ProgressMonitor* monitor = nullptr);
