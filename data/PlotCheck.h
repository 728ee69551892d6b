// What the import refuses in a plot's tables, with the place of the first
// problem, and what it accepts but warns about. The checks take the rows as
// they are read, so that a reader can hand them on one by one.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/DelimitedTable.h"
#include "data/PlotTables.h"

// The cells of the grid in order of first appearance, found by their exact
// position; a new cell's position is added to the tables.
class GridCells {
  public:
    explicit GridCells(PlotTables& tables) : tables(tables) {}

    // The index of the cell at (x, y), added when new; line is where it is given.
    size_t Find(double x, double y, long line, bool& isNew);
    long LineOf(size_t cell) const { return lines[cell]; }
    // "the cell at x_coord 1, y_coord 2"
    std::string Describe(size_t cell) const;

  private:
    PlotTables& tables;
    std::map<std::pair<double, double>, size_t> index;
    std::vector<long> lines;
};

// Refuses a grid of more trees than a plot file can hold.
bool TooManyTrees(const DelimitedTable& table, size_t count, std::string& error);

// The trees of a long grid table, named by its Tree column: a label may not
// be a position column's name, nor differ from another only in case.
class LongTrees {
  public:
    explicit LongTrees(std::vector<std::string>& trees) : trees(trees) {}

    // The index of the tree, added when new; false with error when the
    // label is refused.
    bool Find(const DelimitedTable& table, int column, const std::string& label, size_t& tree,
              std::string& error);

  private:
    std::vector<std::string>& trees;
    std::map<std::string, size_t> byLabel;
    std::map<std::string, std::string> byFolded;
};

// One row of a long grid table.
struct UptakeEntry {
    size_t cell;
    size_t tree;
    double value;
    long line;
};

// Sorts the entries by cell and tree and refuses a tree given twice in a cell.
bool SortLongEntries(const DelimitedTable& table, const GridCells& cells,
                     const std::vector<std::string>& trees, std::vector<UptakeEntry>& entries,
                     std::string& error);

// Adds the warnings about tables that were read whole: trees without stems,
// stems without trees, uneven or unequal spacing.
void AddWarnings(PlotTables& tables);
// The warning about the columns a long grid table leaves out.
std::string UnusedColumnsWarning(const std::string& path, const std::vector<std::string>& names);
