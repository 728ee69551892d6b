// What the import refuses in a plot's tables, with the place of the first
// problem, and what it accepts but warns about. The checks take the rows as
// they are read, so that a reader can hand them on one by one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/DelimitedTable.h"
#include "data/PlotTables.h"

// The cells of the grid in order of first appearance, found by their exact
// position; a new cell's coordinates are added to the tables' distinct ones.
class GridCells {
  public:
    explicit GridCells(PlotTables& tables) : tables(tables) {}

    // The index of the cell at (x, y), added when new; line is where it is given.
    size_t Find(double x, double y, long line, bool& isNew);
    size_t Count() const { return xs.size(); }
    double X(size_t cell) const { return xs[cell]; }
    double Y(size_t cell) const { return ys[cell]; }
    long LineOf(size_t cell) const { return lines[cell]; }
    // "the cell at x_coord 1, y_coord 2"
    std::string Describe(size_t cell) const;

  private:
    struct PositionHash {
        size_t operator()(const std::pair<double, double>& p) const {
            return std::hash<double>()(p.first) * 31 + std::hash<double>()(p.second);
        }
    };

    PlotTables& tables;
    std::unordered_map<std::pair<double, double>, size_t, PositionHash> index;
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<long> lines;
};

// The positions and ids of a wide grid's cells, kept small and searched for
// repeats only when asked (at the end, or before another fault is told), so
// that the first fault of the file is named as if each row were checked as
// it came. Sorting once costs a fraction of a lookup table of a million cells.
class CellRepeats {
  public:
    explicit CellRepeats(PlotTables& tables) : tables(tables) {}

    void AddPosition(double x, double y, long line);
    void AddId(long long id, long line);
    // When the rows read hold a cell or an id given twice, sets error to the
    // first repeat (an earlier line than error's own) and returns true.
    bool FindFirst(const DelimitedTable& table, std::string& error);

  private:
    struct Position {
        double x;
        double y;
        long line;
    };
    struct Id {
        long long id;
        long line;
    };

    PlotTables& tables;
    std::vector<Position> positions;
    std::vector<Id> ids;
    double lastX = 0.0;
    double lastY = 0.0;
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

// One row of a long grid table, small as a long table has many.
struct UptakeEntry {
    uint32_t cell;
    uint32_t tree;
    double value;
    long line;
};

// Sorts the entries by cell and tree and refuses a tree given twice in a cell.
bool SortLongEntries(const DelimitedTable& table, const GridCells& cells,
                     const std::vector<std::string>& trees, std::vector<UptakeEntry>& entries,
                     std::string& error);

// Uptake values that R or pandas wrote as missing, stored as no uptake.
class MissingUptake {
  public:
    // Counts the value in the field at column of the row last read.
    void Add(const DelimitedTable& table, int column);
    // The warning about them, or empty when there were none.
    std::string Warning(const std::string& path) const;

  private:
    size_t count = 0;
    std::string first;  // "line 4, field \"Oak\""
};

// Adds the warnings about tables that were read whole: trees without stems,
// stems without trees, uneven or unequal spacing.
void AddWarnings(PlotTables& tables);
// The warning about the columns a long grid table leaves out.
std::string UnusedColumnsWarning(const std::string& path, const std::vector<std::string>& names);
