#include "data/GridSource.h"

#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

enum { kXMin, kXMax, kYMin, kYMax };

}  // namespace

GridSource::GridSource(Database database, const char* sourceSql, const char* xColumn,
                       const char* yColumn)
    : database(database), sourceSql(sourceSql), xColumn(xColumn), yColumn(yColumn) {}

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

// One pass instead of a sorted scan per extent. An ascending sort puts NULL
// first, so a column holding any NULL has NULL as its least value; min()
// skips NULLs and would not say so, hence the counts.
void GridSource::ReadExtents() {
    if (extentsRead) {
        return;
    }
    extentsRead = true;
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
        return;
    }
    const bool xHasNull = statement.GetInt(5) < statement.GetInt(4);
    const bool yHasNull = statement.GetInt(6) < statement.GetInt(4);
    const bool nullFirst[4] = {xHasNull, false, yHasNull, false};
    for (int i = 0; i < 4; ++i) {
        extents[i].found = true;
        // A NULL reads as empty text, that is 0.
        extents[i].value = nullFirst[i] ? 0.0 : statement.GetDouble(i);
    }
    statement.Close();

    // The width of the source's rows, as a first row shows it.
    Statement source(database, sourceSql.c_str());
    if (source.Step()) {
        columnCount = static_cast<int>(source.Columns()->Count());
    }
}

const std::vector<SourceCell>& GridSource::GetCells() {
    if (cellsRead) {
        return cells;
    }
    cellsRead = true;
    const Query query("SELECT * FROM (%s) ", sourceSql.c_str());
    readVersion = database.GetDataVersion();
    Statement rows(database, query.Text());
    TableScan scan(rows.Handle());
    std::vector<StoredValue> values;
    int xAt = -1;
    int yAt = -1;
    int width = 0;
    // Each value as Statement::GetDouble reads it, from the one fetch the
    // scan makes of it.
    auto read = [&](int position) {
        if (position < 0 || position >= width) {
            return 0.0;
        }
        const unsigned column = rows.Columns()->Resolve(static_cast<unsigned>(position));
        return ReadDouble(rows.Handle(), column, rows.Columns()->Kind(column), values[column]);
    };
    NumberExtents xs;
    NumberExtents ys;
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
        cells.push_back(cell);
    }
    // A read cut short says nothing for sure about what the source holds.
    readComplete = rows.Finished();
    readState = scan.State();
    if (readComplete && !extentsRead && xs.HasRows() && ys.HasRows()) {
        // The pass saw every row: the extents' own pass is not needed.
        extentsRead = true;
        columnCount = width;
        TakeExtents(xs, ys);
    }
    return cells;
}
