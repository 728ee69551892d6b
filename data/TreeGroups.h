// Trees grouped by a column of the stem table (species, cohort, treatment):
// the trees whose stems hold one value there make one group, and trees
// without a stem row, or whose value is empty or missing, make "(none)". A
// group's value in a cell is the sum of its trees' values there.
#pragma once

#include <string>
#include <vector>

#include "data/StemAttributes.h"

// The most groups a column may make: more would be a colour for nearly
// every tree, which the trees' own layers show better.
constexpr size_t kMostGroups = 50;
// The group of the trees without a value.
extern const char* const kNoGroup;

struct TreeGroups {
    std::string column;              // the stem column, UTF-8
    std::vector<std::string> names;  // numbers in order, then texts in order, "(none)" last
    std::vector<std::string> trees;  // the grid's trees, in column order
    std::vector<int> groupOfTree;    // beside them: the index of each tree's group

    // The group's index, or -1.
    int Find(const std::string& name) const;
    // How many of the grid's trees the group holds.
    size_t TreeCount(int group) const;
};

// Groups the grid's trees (its tree columns, in order) by the stem column;
// false with one line in error: no stem table, no such column, or more
// than kMostGroups values.
bool GroupTrees(const StemAttributes& stems, const std::vector<std::string>& trees,
                const std::string& column, TreeGroups& groups, std::string& error);
