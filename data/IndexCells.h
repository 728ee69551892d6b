// The rows of an index table held in memory in the order of its y index, so
// that the renderers' view queries are answered without SQLite: the rows
// such a query selects, in the order SQLite gives them when it reads them
// through that index (by y, then by row id). Loaded only from a table whose
// columns each hold numbers of one type, so that every value reads as it
// would from a query's rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/GridData.h"
#include "db/Database.h"
#include "db/Row.h"

class IndexCells {
  public:
    struct Cell {
        double x;  // stored values, for the range tests
        double y;
        float count;    // as a row of a query reads it
        bool positive;  // count > 0
    };
    // What the level lines read of a cell besides: its neighbours' values as
    // a row of a query reads them, and whether its count differs from one of
    // them. Held only once asked for (HoldLevels), except where a build
    // worked them out.
    struct Levels {
        float n;
        float e;
        float s;
        float w;
        bool differs;
    };
    // The position as a row of a query reads it.
    double ReadX(const Cell& cell) const;
    double ReadY(const Cell& cell) const;

    // Cells whose values are known without reading the table, in row id
    // order, with their levels; their positions are read as reals.
    static std::unique_ptr<IndexCells> FromCells(std::vector<Cell> cells,
                                                 std::vector<Levels> levels);
    // Null when the table cannot be held this way.
    static std::unique_ptr<IndexCells> Load(Database& database, const std::string& table,
                                            const char* xColumn, const char* yColumn);

    // Reads the levels of the table the cells were loaded from, if not held
    // yet; false when they cannot be held this way (the level lines then
    // read the table).
    bool HoldLevels(Database& database, const std::string& table);
    const Levels& LevelsOf(const Cell& cell) const {
        return levels[static_cast<size_t>(&cell - cells.data())];
    }

    // The cells of the view (its bounds as SQLite reads them from its query),
    // in the order of the y index; levelsOnly keeps only those whose count
    // differs from a neighbour's (the levels must be held).
    void Select(const ViewFilter& view, bool levelsOnly, std::vector<const Cell*>& cells) const;
    // The same cells one at a time, without gathering them first: Next
    // moves a walk from its place to the next cell the view selects.
    struct Walk {
        const Cell* cell = nullptr;  // null past the last
        size_t next = 0;             // where the walk goes on, in the list it walks
    };
    Walk FirstOf(const ViewFilter& view, bool levelsOnly) const;
    void Next(Walk& walk, const ViewFilter& view, bool levelsOnly) const;

    // The cell whose square holds (x, y), chosen as a query with
    // x_coord <= x < x_coord + cellSize (the same for y), ordered by x, then
    // y, both descending, takes its first row; null when none does.
    const Cell* Holding(double x, double y, double cellSize) const;

  private:
    std::vector<Cell> cells;     // by y, then by row id
    std::vector<Levels> levels;  // beside them, once held
    bool levelsTried = false;
    // For each cell, its place in row id order; empty when that is its place here.
    std::vector<uint32_t> rowOrder;
    int xKind = 0;  // CellInteger or CellReal
    int yKind = 0;
    // The places in cells of some of them, in their order there, so that a
    // walk that wants only those need not visit the others. Kept only when
    // they are few: most cells of a large plot hold 0.
    std::vector<uint32_t> nonZero;    // a count other than 0, or positive
    std::vector<uint32_t> differing;  // a count that differs from a neighbour's
    bool nonZeroKept = false;
    bool differingKept = false;

    // The list a walk visits (null: every cell), and the cell at a place in it.
    const std::vector<uint32_t>* ListFor(const ViewFilter& view, bool levelsOnly) const;
    const Cell& At(const std::vector<uint32_t>* list, size_t place) const {
        return cells[list ? (*list)[place] : place];
    }
    // Puts cells that came by row id in the order of the y index.
    void OrderByY();
    // Notes the short lists once the cells, or their levels, are in place.
    void NoteNonZero();
    void NoteDiffering();
    void Reserve(Database& database, const std::string& table);
};
