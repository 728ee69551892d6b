// What each cell of grid holds of each tree and group, gathered in one pass
// over grid however many trees and groups there are: the tree and the group
// that take up most there, with their share of the cell's uptake, and the
// sums of the groups asked for. Values are read as the total uptake reads
// them (single precision; numbers stored as text count as the numbers they
// hold), so that the shares and sums agree with what the map shows.
#pragma once

#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "data/HeldGridData.h"
#include "data/TreeGroups.h"
#include "db/Database.h"

struct GridMixRequest {
    bool dominantTrees = false;
    const TreeGroups* groups = nullptr;  // the grouping, for the two below
    bool dominantGroups = false;
    std::vector<int> groupSums;  // the groups whose sums to gather
    // A grid of this many rows or more is read in two halves at once.
    long long fewestRowsToSplit = 20000;
};

struct GridMix {
    // The cells where some tree takes up (a value above 0): tagged with the
    // tree that takes up most there (its place among the grid's trees; of
    // equal values, the first), valued its share of the cell's uptake above 0.
    std::vector<HeldGridData::Cell> dominantTrees;
    // The same of the groups, their uptake above 0 summed.
    std::vector<HeldGridData::Cell> dominantGroups;
    // Beside the request's groupSums: the cells where a tree of the group has
    // a value other than 0, valued the sum of its trees' values, as a
    // tree's own layers take the cells where its value is not 0.
    std::vector<std::vector<HeldGridData::Cell>> groupSums;
};

// False with one line in error when grid cannot be read to its end or has
// no position columns. The monitor, when given, hears what is being done.
bool ReadGridMix(Database database, const GridMixRequest& request, GridMix& mix, std::string& error,
                 ProgressMonitor* monitor = nullptr);
