#include "data/IndexedGridData.h"

#include <cstdio>

#include "app/Log.h"
#include "data/FirstValue.h"
#include "db/SqlText.h"

namespace {

std::string FormatIndexName(const char* prefix, int checksum) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, prefix, checksum);
    return buffer;
}

}  // namespace

IndexedGridData::IndexedGridData(const Kind& kind, Database database, const Query& sourceQuery,
                                 const char* dataTable, const char* xColumn, const char* yColumn)
    : GridData(0),
      kind(kind),
      database(database),
      sourceQuery(sourceQuery),
      dataTable(dataTable),
      xColumn(xColumn),
      yColumn(yColumn) {}

void IndexedGridData::Load(ProgressMonitor monitor) {
    {
        Result source = database.RunQuery(sourceQuery);
        valueColumnCount = source.ColumnCount() - 3;
        source.Close();
    }

    ProgressMonitor progress(monitor);
    progress.SetTotal(7);
    progress.SetProgress(0);
    progress.SetMessage("%s", kind.loadingMessage);

    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    const char* source = sourceQuery.Text();
    ReadFirstValue(database, Query("%s ORDER BY %s ASC LIMIT 1", source, x.c_str()), xColumn, xMin);
    progress.AddProgress(1);
    ReadFirstValue(database, Query("%s ORDER BY %s DESC LIMIT 1", source, x.c_str()), xColumn,
                   xMax);
    progress.AddProgress(1);
    ReadFirstValue(database, Query("%s ORDER BY %s ASC LIMIT 1", source, y.c_str()), yColumn, yMin);
    progress.AddProgress(1);
    ReadFirstValue(database, Query("%s ORDER BY %s DESC LIMIT 1", source, y.c_str()), yColumn,
                   yMax);
    progress.AddProgress(1);

    indexName = FormatIndexName(kind.indexPrefix, QueryChecksum(source));
    bool registered = database.IndexExists(dataTable, indexName.c_str());
    if (registered && !TablePresent(database.IndexTableName(dataTable, indexName.c_str()))) {
        // A registration without its table would leave the layers empty for
        // good; the build below replaces it.
        Log(LOG_ERROR, "Index table for %s %s is registered but missing; building it again.",
            dataTable, indexName.c_str());
        registered = false;
    }
    if (!registered) {
        BuildInTransaction(progress);
        progress.SetTotal(7);
        progress.SetProgress(4);
        progress.SetMessage("%s", kind.loadingMessage);
    }

    const std::string table = database.IndexTableName(dataTable, indexName.c_str());
    indexReady = !table.empty();
    if (!indexReady) {
        // The failure has been logged; the set stays without cells.
        progress.AddProgress(3);
        return;
    }
    const std::string t = SqlName(table);
    const bool asInteger = kind.countIsInteger;
    ReadFirstValue(database, Query("SELECT count FROM %s ORDER BY count ASC LIMIT 1", t.c_str()),
                   "count", minValue, asInteger);
    progress.AddProgress(1);
    ReadFirstValue(database, Query("SELECT count FROM %s ORDER BY count DESC LIMIT 1", t.c_str()),
                   "count", maxValue, asInteger);
    progress.AddProgress(1);
    ReadCellSize("SELECT DISTINCT %s FROM %s ORDER BY %s DESC LIMIT 2", table);
    progress.AddProgress(1);
}

// The whole build is one transaction: a build that is interrupted or cannot
// be committed leaves neither a table nor a registration behind, so no later
// opening can mistake a half-filled table for a complete one.
void IndexedGridData::BuildInTransaction(ProgressMonitor monitor) {
    const double cellSizeBefore = cellSize;
    if (!database.Begin()) {
        LogBuildFailure("Could not start building");
        return;
    }
    if (!BuildIndex(monitor)) {
        database.Rollback();
        cellSize = cellSizeBefore;
        LogBuildFailure("Could not create");
        return;
    }
    if (!database.Commit()) {
        cellSize = cellSizeBefore;
        LogBuildFailure("Could not save");
    }
}

// The log keeps SQLite's own code and text beside the cause the user is told.
void IndexedGridData::LogBuildFailure(const char* what) {
    buildFailure = database.GetBatchFailure();
    if (buildFailure.cause == FailureCause::None) {
        buildFailure.cause = FailureCause::Other;
        buildFailure.message = "the index table was not created";
    }
    Log(LOG_ERROR, "%s the index table for %s %s because %s (%s).", what, dataTable,
        indexName.c_str(), DescribeFailure(buildFailure).c_str(),
        FailureDetails(buildFailure).c_str());
}

bool IndexedGridData::TablePresent(const std::string& table) {
    return !table.empty() && database.HasTable(table.c_str());
}

std::string IndexedGridData::StartIndexTable(const Query& columns) {
    if (database.IndexExists(dataTable, indexName.c_str())) {
        database.DropIndexTable(dataTable, indexName.c_str());
    }
    // The name's registry row is gone now; a table still bearing the name is
    // a leftover (an older build, a failed drop) and must not receive rows.
    const std::string leftover = Database::FormIndexTableName(dataTable, indexName.c_str());
    database.RunQuery(Query("DROP TABLE IF EXISTS %s", SqlName(leftover).c_str()));

    std::string table = database.CreateIndexTable(dataTable, indexName.c_str(), columns);
    if (!TablePresent(table) || database.IndexTableName(dataTable, indexName.c_str()) != table) {
        return std::string();
    }
    return table;
}

Result IndexedGridData::RunSource() {
    Result source =
        database.RunQuery(Query("SELECT * FROM (%s) %s", sourceQuery.Text(), FilterText()));
    if (source.Status() == ResultStatus::HasRows) {
        source.Rewind();
    }
    return source;
}

void IndexedGridData::FillFromSource(ProgressMonitor& progress,
                                     const std::function<Query(const Row&)>& insertFor) {
    Result source = RunSource();
    progress.SetMessage("%s", kind.buildMessage);
    progress.SetTotal(source.RowCount());
    while (source.HasRow()) {
        database.RunQuery(insertFor(source.NextRow()));
        progress.AddProgress(1);
    }
    source.Close();
}

// Cells are matched by exact equality with the printed coordinate, which is
// how the coordinate was stored by the INSERT of the fill.
void IndexedGridData::SpreadToNeighbours(const std::string& table, ProgressMonitor& progress,
                                         const std::function<Query(const Row&)>& updatesFor) {
    Result cells = database.RunQuery(Query("SELECT * FROM %s", SqlName(table).c_str()));
    if (cells.Status() == ResultStatus::HasRows) {
        cells.Rewind();
    }
    progress.SetTotal(cells.RowCount());
    progress.SetProgress(0);
    while (cells.HasRow()) {
        const Query updates = updatesFor(cells.NextRow());
        if (!updates.IsEmpty()) {
            database.RunQueries(updates);
        }
        progress.AddProgress(1);
    }
    cells.Close();
}

void IndexedGridData::CreateLookupIndexes(const std::string& table) {
    const int checksum = QueryChecksum(sourceQuery.Text());
    const std::string t = SqlName(table);
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    char name[96];
    std::snprintf(name, sizeof name, "TB_IDX_LOCATION_XY_%s_%d", kind.indexSuffix, checksum);
    database.RunQuery(Query("CREATE INDEX %s on %s (%s, %s)", SqlName(name).c_str(), t.c_str(),
                            x.c_str(), y.c_str()));
    std::snprintf(name, sizeof name, "TB_IDX_LOCATION_X_%s_%d", kind.indexSuffix, checksum);
    database.RunQuery(
        Query("CREATE INDEX %s on %s (%s)", SqlName(name).c_str(), t.c_str(), x.c_str()));
    std::snprintf(name, sizeof name, "TB_IDX_LOCATION_Y_%s_%d", kind.indexSuffix, checksum);
    database.RunQuery(
        Query("CREATE INDEX %s on %s (%s)", SqlName(name).c_str(), t.c_str(), y.c_str()));
    std::snprintf(name, sizeof name, "TB_IDX_COUNT_%s_%d", kind.indexSuffix, checksum);
    database.RunQuery(Query("CREATE INDEX %s on %s (count)", SqlName(name).c_str(), t.c_str()));
}

// Only x decides the cell size: the grid is taken to be square.
void IndexedGridData::ReadCellSize(const char* format, const std::string& table) {
    const std::string x = SqlName(xColumn);
    Result result = database.RunQuery(Query(format, x.c_str(), SqlName(table).c_str(), x.c_str()));
    if (result.HasRow() && result.RowCount() >= 2) {
        const double first = result.NextRow().GetDouble(xColumn);
        const double second = result.NextRow().GetDouble(xColumn);
        cellSize = first - second;
    }
    result.Close();
}

bool IndexedGridData::ContainsEither(double x1, double x2, double y1, double y2) {
    return (xMin <= x1 && x1 <= xMax && yMin <= y1 && y1 <= yMax) ||
           (xMin <= x2 && x2 <= xMax && yMin <= y2 && y2 <= yMax);
}

const char* IndexedGridData::FilterText() const {
    return filter.IsEmpty() ? "" : filter.Text();
}

const char* IndexedGridData::GetTableName() {
    tableName = database.IndexTableName(dataTable, indexName.c_str());
    return tableName.c_str();
}

void IndexedGridData::First() {
    cursor.Close();
    cursor = Result();
    currentRow = Row();
    const std::string table = GetTableName();
    if (table.empty()) {
        return;  // no index table: no cells (reported when the set was loaded)
    }
    cursor =
        database.RunQuery(Query("SELECT * FROM (%s) %s", SqlName(table).c_str(), FilterText()));
    if (cursor.Status() == ResultStatus::HasRows) {
        cursor.Rewind();
    }
    currentRow = cursor.NextRow();
}

bool IndexedGridData::IsValid() {
    return currentRow.ColumnCount() > 0;
}

void IndexedGridData::Next() {
    currentRow = cursor.NextRow();
}

void IndexedGridData::Close() {
    cursor.Close();
    currentRow = Row();
}

double IndexedGridData::GetValue() {
    return currentRow.GetDouble("count");
}

double IndexedGridData::GetX() {
    return currentRow.GetDouble(xColumn);
}

double IndexedGridData::GetY() {
    return currentRow.GetDouble(yColumn);
}
