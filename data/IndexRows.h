// The rows of an index table worked out in memory from the source cells:
// what the fill stores for each cell and what the neighbour pass then gives
// it from the four cells around it, so that each row is written once and
// complete. The stored values are those of the statements the table is
// defined by: every number written with "%f" and read back by SQLite, and
// neighbours found by exact equality of those stored coordinates.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "data/GridSource.h"
#include "data/IndexCells.h"

// A number as the fill writes it into SQL: "%f", six decimals.
struct PrintedNumber {
    explicit PrintedNumber(double value);
    char text[48];
};

// True when "%f" writes the value exactly (a multiple of 1/64 well within
// the range of a 32-bit integer), so that SQLite reads back the value itself.
bool PrintsExactly(double value);

// SQLite's own reading of a "%f" text, asked for the rare value whose
// single-precision reading the C library's cannot settle.
using PrintedParser = std::function<double(const char* text)>;

// Where each cell hands its value on: for every source row, the rows at the
// four places around it (y - cell, x - cell, y + cell, x + cell), found by
// exact equality of the stored coordinates; worked out for the rows with a
// value, the only ones that hand anything on. The same for every set built
// from one source, so worked out once for them all.
class CellNeighbours {
  public:
    // cellSize: the size to take when fewer than two x values tell one.
    CellNeighbours(const std::vector<SourceCell>& cells, const PrintedParser& parse,
                   double cellSize);

    // False when some position is one these rules cannot reproduce.
    bool IsExact() const { return exact; }
    // The distance of the two greatest stored x values, or the size given;
    // whether it is the former.
    double CellSize() const { return size; }
    bool FoundCellSize() const { return foundSize; }
    // The first row at the place in the direction (0 to 3, as above) of a
    // row, -1 when there is none, kOutOfRange when that place lies beyond
    // what "%f" keeps exact; NextAt gives the others there, in table order.
    static const int kOutOfRange = -2;
    int FirstAt(size_t row, int direction) const { return targets[row][direction]; }
    int NextAt(int row) const { return next[static_cast<size_t>(row)]; }

  private:
    std::vector<std::array<int, 4>> targets;
    std::vector<int> next;
    double size;
    bool foundSize = false;
    bool exact = true;
};

class IndexRows {
  public:
    using Parser = PrintedParser;

    struct Row {
        double x;  // the cell's position as read from the source
        double y;
        double count;  // the sum, or the number of positive values
        // The values the cells around hand on, or 0 (n from the cell at
        // y + cell, e at x + cell, s at y - cell, w at x - cell).
        double n = 0.0;
        double e = 0.0;
        double s = 0.0;
        double w = 0.0;
    };

    // counts: the neighbour-count table (integer counts, handed on when
    // above 0) rather than the uptake table (sums, handed on when not 0).
    IndexRows(const std::vector<SourceCell>& cells, bool counts, Parser parse);

    // False when some value is one these rules cannot reproduce (not finite,
    // or so large that "%f" and single precision part ways); the table must
    // then be built statement by statement.
    bool IsExact() const { return exact; }
    // The rows (from 0) holding the least and the greatest stored count, in
    // the order an index on the count gives them: of equal ones, the first
    // for the least and the last for the greatest. False without rows.
    bool ExtremeRows(size_t& lowest, size_t& highest) const;
    // A row's count as a query reads it back from the table.
    double CountAsRead(size_t row) const;
    // Hands every cell's value on to its neighbours (of the same source cells).
    void SpreadToNeighbours(const CellNeighbours& around);
    const std::vector<Row>& Rows() const { return rows; }
    // The rows as IndexCells would load them from the table they are
    // written to (a real column for positions, and for sums or integer
    // counts); null when some position is not stored as itself.
    std::unique_ptr<IndexCells> HeldCells() const;

  private:
    std::vector<Row> rows;
    bool counts;
    Parser parse;
    bool exact = true;
};
