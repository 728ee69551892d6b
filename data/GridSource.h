// What a grid set's source query gives, read once however many sets and
// summaries are built from it: the extents of its position columns, in one
// pass, and every row's position with the sum and the number of positive
// values of its value columns. Numbers stored as text count as the numbers
// they hold, in the extents too.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/NumberExtents.h"
#include "db/Database.h"
#include "db/EngineScan.h"
#include "db/Statement.h"
#include "db/TableState.h"

class CellNeighbours;

// One source row, its values read as a Row reads them.
struct SourceCell {
    double x;
    double y;
    double sum;    // the value columns added in column order
    int positive;  // how many of them are above 0
};

// What a pass shared by several sources found for one of them, so that the
// source need not read its rows itself.
struct GatheredSource {
    int columnCount = 0;  // the width of its rows; 0 when it has none
    NumberExtents x;
    NumberExtents y;
    bool hasCells = false;  // false: GetCells reads them when asked
    std::vector<SourceCell> cells;
};

class GridSource {
  public:
    GridSource(Database database, const char* sourceSql, const char* xColumn, const char* yColumn);
    ~GridSource();

    // The least and greatest x and y, each exactly what "source ORDER BY
    // column ASC (or DESC) LIMIT 1" gives. An extent without a value (no
    // rows) leaves its argument as it was and answers false.
    bool ReadXMin(double& value);
    bool ReadXMax(double& value);
    bool ReadYMin(double& value);
    bool ReadYMax(double& value);
    // Takes what a shared pass found, in place of reading it.
    void Take(GatheredSource gathered);
    // The number of columns of the source's rows; 0 when it has none.
    int GetColumnCount();

    // The rows in source order, read on the first call. A complete read
    // gives the extents too when they were not read yet.
    const std::vector<SourceCell>& GetCells();
    // What the rows read by GetCells held, column by column, and SQLite's
    // data version just before they were read; false when the read was cut short.
    bool IsReadComplete() const { return readComplete; }
    const TableState& GetReadState() const { return readState; }
    long long GetReadVersion() const { return readVersion; }
    // Where each of those cells hands its value on (see CellNeighbours),
    // worked out at the first call and kept for the sets built after it.
    const CellNeighbours& GetNeighbours(const std::function<double(const char*)>& parse,
                                        double cellSize);

  private:
    struct Extent {
        bool found = false;
        double value = 0.0;
    };

    Database database;
    std::string sourceSql;
    std::string xColumn;
    std::string yColumn;
    bool extentsRead = false;
    Extent extents[4];  // x least, x greatest, y least, y greatest
    int columnCount = 0;
    bool cellsRead = false;
    std::vector<SourceCell> cells;
    bool readComplete = false;
    TableState readState;
    long long readVersion = 0;
    std::unique_ptr<CellNeighbours> neighbours;
    double neighboursFrom = 0.0;  // the cell size they were worked out with

    bool ReadExtent(int which, double& value);
    // The two ways GetCells reads the rows; true when it read them all.
    bool ReadByColumns(Statement& rows, TableScan& scan, NumberExtents& xs, NumberExtents& ys,
                       int& width);
    bool ReadInEngine(EngineScan& engine, sqlite3_stmt* named, TableScan& scan, NumberExtents& xs,
                      NumberExtents& ys);
    // The extents a pass over every row found.
    void TakeExtents(const NumberExtents& x, const NumberExtents& y);
    void ReadExtents();
    // True when the source has rows; the first says whether it could
    // read them at all.
    bool ReadExtentsInEngine(bool& usable);
    bool ReadExtentsByQuery();
};
