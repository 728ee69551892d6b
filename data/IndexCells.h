// The rows of an index table held in memory in the order of its y index, so
// that the renderers' view queries are answered without SQLite: the rows
// such a query selects, in the order SQLite gives them when it reads them
// through that index (by y, then by row id). Loaded only from a table whose
// columns each hold numbers of one type, so that every value reads as it
// would from a query's rows.
#pragma once

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
        // The values as a row of a query reads them.
        float count;
        float n;
        float e;
        float s;
        float w;
        bool positive;      // count > 0
        bool levelDiffers;  // count differs from one of n, e, s, w
    };
    // The position as a row of a query reads it.
    double ReadX(const Cell& cell) const;
    double ReadY(const Cell& cell) const;

    // Cells whose values are known without reading the table, in row id
    // order; their positions are read as reals.
    static std::unique_ptr<IndexCells> FromCells(std::vector<Cell> cells);
    // Null when the table cannot be held this way.
    static std::unique_ptr<IndexCells> Load(Database& database, const std::string& table,
                                            const char* xColumn, const char* yColumn);

    // The cells of the view (its bounds as SQLite reads them from its query),
    // in the order of the y index; levelsOnly keeps only those whose count
    // differs from a neighbour's.
    void Select(const ViewFilter& view, bool levelsOnly, std::vector<const Cell*>& cells) const;

    // The cell whose square holds (x, y), chosen as a query with
    // x_coord <= x < x_coord + cellSize (the same for y), ordered by x, then
    // y, both descending, takes its first row; null when none does.
    const Cell* Holding(double x, double y, double cellSize) const;

  private:
    std::vector<Cell> cells;  // by y, then by row id
    int xKind = 0;            // CellInteger or CellReal
    int yKind = 0;

    // Puts cells that came by row id in the order of the y index.
    void OrderByY();
    void Reserve(Database& database, const std::string& table);
};
