#include "data/GridSource.h"

#include <sqlite3.h>

#include "base/HugePages.h"
#include "data/IndexRows.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

enum { kXMin, kXMax, kYMin, kYMax };

}  // namespace

GridSource::GridSource(Database database, const char* sourceSql, const char* xColumn,
                       const char* yColumn)
    : database(database), sourceSql(sourceSql), xColumn(xColumn), yColumn(yColumn) {}

GridSource::~GridSource() = default;

const CellNeighbours& GridSource::GetNeighbours(const std::function<double(const char*)>& parse,
                                                double cellSize) {
    // The size given counts only where the cells do not tell one.
    if (!neighbours || (!neighbours->FoundCellSize() && neighboursFrom != cellSize)) {
        neighbours = std::make_unique<CellNeighbours>(GetCells(), parse, cellSize);
        neighboursFrom = cellSize;
    }
    return *neighbours;
}

bool GridSource::ReadXMin(double& value) {
    return ReadExtent(kXMin, value);
}

bool GridSource::ReadXMax(double& value) {
    return ReadExtent(kXMax, value);
}

bool GridSource::ReadYMin(double& value) {
    return ReadExtent(kYMin, value);
}

bool GridSource::ReadYMax(double& value) {
    return ReadExtent(kYMax, value);
}

void GridSource::Take(GatheredSource gathered) {
    extentsRead = true;
    columnCount = gathered.columnCount;
    if (gathered.x.HasRows()) {
        TakeExtents(gathered.x, gathered.y);
    }
    if (gathered.hasCells) {
        cellsRead = true;
        readComplete = true;
        cells = std::move(gathered.cells);
    }
}

void GridSource::TakeExtents(const NumberExtents& x, const NumberExtents& y) {
    extents[kXMin] = {true, x.Least()};
    extents[kXMax] = {true, x.Greatest()};
    extents[kYMin] = {true, y.Least()};
    extents[kYMax] = {true, y.Greatest()};
}

int GridSource::GetColumnCount() {
    ReadExtents();
    return columnCount;
}

bool GridSource::ReadExtent(int which, double& value) {
    ReadExtents();
    if (extents[which].found) {
        value = extents[which].value;
    }
    return extents[which].found;
}

// One pass instead of a sorted scan per extent.
void GridSource::ReadExtents() {
    if (extentsRead) {
        return;
    }
    extentsRead = true;
    bool usable = false;
    const bool found = ReadExtentsInEngine(usable) || (!usable && ReadExtentsByQuery());
    if (!found) {
        return;
    }
    // The width of the source's rows, as a first row shows it.
    Statement source(database, sourceSql.c_str());
    if (source.Step()) {
        columnCount = static_cast<int>(source.Columns()->Count());
    }
}

// The positions handed over inside SQLite's engine (see EngineScan), their
// least and greatest worked out as the query below finds them; false when
// they cannot be handed over so (usable tells). True when there were rows.
bool GridSource::ReadExtentsInEngine(bool& usable) {
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    EngineScan engine(database, "SELECT " + x + ", " + y + " FROM (" + sourceSql + ")");
    usable = engine.IsUsable() && engine.ColumnCount() == 2;
    if (!usable) {
        return false;
    }
    NumberExtents xs;
    NumberExtents ys;
    auto part = [&](int first, int count, sqlite3_value** values) {
        for (int k = 0; k < count; ++k) {
            (first + k == 0 ? xs : ys).Add(StoredValueOf(values[k]));
        }
    };
    if (!engine.Walk(part, [] {}) || !xs.HasRows()) {
        return false;
    }
    TakeExtents(xs, ys);
    return true;
}

// An ascending sort puts NULL first, so a column holding any NULL has NULL
// as its least value; min() skips NULLs and would not say so, hence the counts.
bool GridSource::ReadExtentsByQuery() {
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    // As numbers: a text column would otherwise order "99.5" after "123.0".
    const std::string xNumber = SqlNumber(x);
    const std::string yNumber = SqlNumber(y);
    const Query query(
        "SELECT min(%s), max(%s), min(%s), max(%s), count(*), count(%s), count(%s) FROM (%s)",
        xNumber.c_str(), xNumber.c_str(), yNumber.c_str(), yNumber.c_str(), x.c_str(), y.c_str(),
        sourceSql.c_str());
    Statement statement(database, query.Text());
    if (!statement.Step() || statement.GetInt(4) == 0) {
        return false;
    }
    const bool xHasNull = statement.GetInt(5) < statement.GetInt(4);
    const bool yHasNull = statement.GetInt(6) < statement.GetInt(4);
    const bool nullFirst[4] = {xHasNull, false, yHasNull, false};
    for (int i = 0; i < 4; ++i) {
        extents[i].found = true;
        // A NULL reads as empty text, that is 0.
        extents[i].value = nullFirst[i] ? 0.0 : statement.GetDouble(i);
    }
    return true;
}

const std::vector<SourceCell>& GridSource::GetCells() {
    if (cellsRead) {
        return cells;
    }
    cellsRead = true;
    const Query query("SELECT * FROM (%s) ", sourceSql.c_str());
    readVersion = database.GetDataVersion();
    // Prepared as ever, for its column names and so that a query that does
    // not compile is logged alike; its rows come through the engine when
    // they can.
    Statement rows(database, query.Text());
    TableScan scan(rows.Handle());
    NumberExtents xs;
    NumberExtents ys;
    EngineScan engine(database, query.Text());
    int width = 0;
    if (engine.IsUsable() && rows.Handle()) {
        width = engine.ColumnCount();
        readComplete = ReadInEngine(engine, rows.Handle(), scan, xs, ys);
    } else {
        readComplete = ReadByColumns(rows, scan, xs, ys, width);
    }
    // A read cut short says nothing for sure about what the source holds.
    readState = scan.State();
    if (readComplete && !extentsRead && xs.HasRows() && ys.HasRows()) {
        // The pass saw every row: the extents' own pass is not needed.
        extentsRead = true;
        columnCount = width;
        TakeExtents(xs, ys);
    }
    return cells;
}

bool GridSource::ReadByColumns(Statement& rows, TableScan& scan, NumberExtents& xs,
                               NumberExtents& ys, int& width) {
    std::vector<StoredValue> values;
    int xAt = -1;
    int yAt = -1;
    // Each value as Statement::GetDouble reads it, from the one fetch the
    // scan makes of it.
    auto read = [&](int position) {
        if (position < 0 || position >= width) {
            return 0.0;
        }
        const unsigned column = rows.Columns()->Resolve(static_cast<unsigned>(position));
        return ReadDouble(rows.Handle(), column, rows.Columns()->Kind(column), values[column]);
    };
    while (rows.Step()) {
        scan.AddRow(rows.Handle(), &values);
        if (cells.empty()) {
            xAt = rows.Find(xColumn.c_str());
            yAt = rows.Find(yColumn.c_str());
            width = static_cast<int>(rows.Columns()->Count());
        }
        if (xAt >= 0 && yAt >= 0) {
            xs.Add(values[rows.Columns()->Resolve(static_cast<unsigned>(xAt))]);
            ys.Add(values[rows.Columns()->Resolve(static_cast<unsigned>(yAt))]);
        }
        SourceCell cell{read(xAt), read(yAt), 0.0, 0};
        for (int i = 3; i < width; ++i) {
            const double value = read(i);
            cell.sum += value;
            cell.positive += value > 0.0 ? 1 : 0;
        }
        PushHuge(cells, cell);
    }
    return rows.Finished();
}

// The same reading of the same values, each taken where SQLite hands it to
// the scan's function. The columns' names are distinct here, so each
// position reads its own value.
bool GridSource::ReadInEngine(EngineScan& engine, sqlite3_stmt* named, TableScan& scan,
                              NumberExtents& xs, NumberExtents& ys) {
    const int width = engine.ColumnCount();
    int xAt = -1;
    int yAt = -1;
    for (int i = 0; i < width; ++i) {
        const std::string name = ResultColumnName(named, i);
        xAt = name == xColumn ? i : xAt;
        yAt = name == yColumn ? i : yAt;
    }
    const bool positioned = xAt >= 0 && yAt >= 0;
    // Each column is read with the type of its value in the first row.
    std::vector<int> kinds(static_cast<size_t>(width));
    bool firstRow = true;
    SourceCell cell{0.0, 0.0, 0.0, 0};
    auto part = [&](int first, int count, sqlite3_value** values) {
        if (first == 0) {
            scan.StartRow();
            cell = SourceCell{0.0, 0.0, 0.0, 0};
        }
        for (int k = 0; k < count; ++k) {
            const int i = first + k;
            const StoredValue value = StoredValueOf(values[k]);
            scan.AddValue(static_cast<size_t>(i), value);
            if (firstRow) {
                kinds[static_cast<size_t>(i)] = KindOfType(value.type);
            }
            if (positioned && (i == xAt || i == yAt)) {
                (i == xAt ? xs : ys).Add(value);
            }
            const double number = ReadDouble(values[k], kinds[static_cast<size_t>(i)], value);
            cell.x = i == xAt ? number : cell.x;
            cell.y = i == yAt ? number : cell.y;
            if (i >= 3) {
                cell.sum += number;
                cell.positive += number > 0.0 ? 1 : 0;
            }
        }
    };
    auto rowEnd = [&] {
        firstRow = false;
        PushHuge(cells, cell);
    };
    return engine.Walk(part, rowEnd);
}
