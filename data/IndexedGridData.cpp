#include "data/IndexedGridData.h"

#include <sqlite3.h>

#include <cstdio>

#include "base/Log.h"
#include "data/FirstValue.h"
#include "data/IndexRows.h"
#include "db/BulkInsert.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

std::string FormatIndexName(const char* prefix, int checksum) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, prefix, checksum);
    return buffer;
}

const char* const kCastToReal = "SELECT CAST(?1 AS REAL)";

// The number SQLite reads from text, as it reads the same literal in a query.
double SqliteReading(Statement& cast, const char* text, double otherwise) {
    cast.Bind(1, text);
    const double read = cast.Step() ? sqlite3_column_double(cast.Handle(), 0) : otherwise;
    cast.Reset();
    return read;
}

}  // namespace

IndexedGridData::IndexedGridData(const Kind& kind, Database database, const Query& sourceQuery,
                                 const char* dataTable, const char* xColumn, const char* yColumn,
                                 GridSource* source, LookupIndexes lookups)
    : GridData(0),
      kind(kind),
      database(database),
      sourceQuery(sourceQuery),
      dataTable(dataTable),
      xColumn(xColumn),
      yColumn(yColumn),
      lookupTiming(lookups),
      sharedSource(source) {}

GridSource& IndexedGridData::Source() {
    if (sharedSource) {
        return *sharedSource;
    }
    if (!ownSource) {
        ownSource = std::make_unique<GridSource>(database, sourceQuery.Text(), xColumn, yColumn);
    }
    return *ownSource;
}

void IndexedGridData::Load(ProgressMonitor monitor) {
    valueColumnCount = Source().GetColumnCount() - 3;

    ProgressMonitor progress(monitor);
    progress.SetTotal(7);
    progress.SetProgress(0);
    progress.SetMessage("%s", kind.loadingMessage);

    Source().ReadXMin(xMin);
    progress.AddProgress(1);
    Source().ReadXMax(xMax);
    progress.AddProgress(1);
    Source().ReadYMin(yMin);
    progress.AddProgress(1);
    Source().ReadYMax(yMax);
    progress.AddProgress(1);

    const char* source = sourceQuery.Text();
    indexName = FormatIndexName(kind.indexPrefix, QueryChecksum(source));
    bool registered = database.IndexExists(dataTable, indexName.c_str());
    if (registered && !TablePresent(database.IndexTableName(dataTable, indexName.c_str()))) {
        // A registration without its table would leave the layers empty for
        // good; the build below replaces it.
        Log(LOG_ERROR, "Index table for %s %s is registered but missing; building it again.",
            dataTable, indexName.c_str());
        registered = false;
    }
    SourceCheck check(database, dataTable, source);
    bool recorded = true;
    const bool upToDate = registered && IsUpToDate(check, recorded);
    if (!upToDate && lookupTiming == LookupIndexes::TableLater && HoldBeforeWriting()) {
        // Drawn from memory until WritePendingTable, which builds it as below.
        tablePending = true;
        lookupsPending = true;
        outOfDateUnlessBuilt = registered && recorded;
        indexReady = true;
        progress.AddProgress(3);
        return;
    }
    if (!upToDate) {
        const bool built = BuildInTransaction(progress, check);
        progress.SetTotal(7);
        progress.SetProgress(4);
        progress.SetMessage("%s", kind.loadingMessage);
        // A table that no longer shows its source is never drawn. One built
        // before sources were recorded may be right, and stays in use as it
        // always was when it cannot be built again (a read-only file).
        outOfDate = registered && !built && recorded;
    } else {
        lookupsPending = !HasLookupIndexes();
    }
    check.Keep();
    if (lookupsPending && lookupTiming == LookupIndexes::WithTable) {
        FinishLookupIndexes(database, dataTable, {this});
    }
    // The rows were needed only to build the table.
    ownSource.reset();
    sharedSource = nullptr;
    TakeTable(progress);
}

// What a set takes from its table once it is built, or found.
void IndexedGridData::TakeTable(ProgressMonitor& progress) {
    const std::string table = GetTableName();
    indexReady = !table.empty();
    if (!indexReady) {
        // The failure has been logged; the set stays without cells.
        progress.AddProgress(3);
        return;
    }
    if (builtCells) {
        memory = std::move(builtCells);
        memoryTried = true;
    }
    ReadValueRange(table);
    progress.AddProgress(2);
    if (lowestRow == 0) {
        ReadCellSize("SELECT DISTINCT %s FROM %s ORDER BY %s DESC LIMIT 2", table);
    }
    progress.AddProgress(1);
}

// The rows, the cell size and the value range a build would give, worked
// out in memory without writing anything; false (nothing changed) when the
// rows cannot be held so, and the table must be built before it is drawn.
bool IndexedGridData::HoldBeforeWriting() {
    if (!sharedSource || database.IsReadOnly()) {
        return false;  // a read-only file is told at once that it takes nothing
    }
    Statement cast(database, kCastToReal);
    const IndexRows::Parser parse = [&cast](const char* text) {
        return SqliteReading(cast, text, 0.0);
    };
    IndexRows rows(Source().GetCells(), kind.countIsInteger, parse);
    const CellNeighbours& around = Source().GetNeighbours(parse, cellSize);
    rows.SpreadToNeighbours(around);
    size_t lowest = 0;
    size_t highest = 0;
    std::unique_ptr<IndexCells> held;
    if (!Source().IsReadComplete() || !rows.IsExact() || !rows.ExtremeRows(lowest, highest) ||
        !(held = rows.HeldCells())) {
        return false;
    }
    // What the warnings about the table's texts read; the build records it in the file.
    database.SetKnownState(dataTable, Source().GetReadState(), Source().GetReadVersion());
    cellSizeBeforeHolding = cellSize;
    cellSize = around.CellSize();
    minValue = rows.CountAsRead(lowest);
    maxValue = rows.CountAsRead(highest);
    memory = std::move(held);
    memoryTried = true;
    return true;
}

void IndexedGridData::WritePendingTable() {
    if (!tablePending) {
        return;
    }
    tablePending = false;
    SourceCheck check(database, dataTable, sourceQuery.Text());
    const bool built = BuildInTransaction(ProgressMonitor(0, 0), check);
    sharedSource = nullptr;
    // The rows in memory are the ones the table now holds.
    builtCells.reset();
    lowestRow = 0;
    highestRow = 0;
    if (built) {
        return;
    }
    // As a build that failed while the set was loaded leaves it.
    outOfDate = outOfDateUnlessBuilt;
    memory.reset();
    memoryTried = false;
    lookupsPending = false;
    minValue = 100000.0;
    maxValue = -100000.0;
    cellSize = cellSizeBeforeHolding;
    ProgressMonitor unseen(0, 0);
    TakeTable(unseen);
}

// A build that left its lookup indexes for later found which rows the count
// index would give first; its cell size is the one it worked out too.
void IndexedGridData::ReadValueRange(const std::string& table) {
    const std::string t = SqlName(table);
    const bool asInteger = kind.countIsInteger;
    if (lowestRow > 0) {
        ReadFirstValue(database,
                       Query("SELECT count FROM %s WHERE rowid = %lld", t.c_str(), lowestRow),
                       "count", minValue, asInteger);
        ReadFirstValue(database,
                       Query("SELECT count FROM %s WHERE rowid = %lld", t.c_str(), highestRow),
                       "count", maxValue, asInteger);
        return;
    }
    ReadFirstValue(database, Query("SELECT count FROM %s ORDER BY count ASC LIMIT 1", t.c_str()),
                   "count", minValue, asInteger);
    ReadFirstValue(database, Query("SELECT count FROM %s ORDER BY count DESC LIMIT 1", t.c_str()),
                   "count", maxValue, asInteger);
}

bool IndexedGridData::IsUpToDate(SourceCheck& check, bool& recorded) {
    const std::string table = Database::FormIndexTableName(dataTable, indexName.c_str());
    const SourceCheck::Verdict verdict = check.Check(table, Source());
    recorded = verdict.recorded;
    if (!verdict.outOfDate) {
        return true;
    }
    if (!recorded && database.IsReadOnly()) {
        LogConsole("The index table %s is used as it is: %s, and the file is read-only.",
                   table.c_str(), verdict.reason.c_str());
        return true;
    }
    LogConsole("Rebuilding the index table %s: %s.", table.c_str(), verdict.reason.c_str());
    return false;
}

// The whole build is one transaction: a build that is interrupted or cannot
// be committed leaves neither a table nor a registration behind, so no later
// opening can mistake a half-filled table for a complete one.
bool IndexedGridData::BuildInTransaction(ProgressMonitor monitor, SourceCheck& check) {
    const double cellSizeBefore = cellSize;
    if (!database.Begin()) {
        LogBuildFailure("Could not start building");
        return false;
    }
    if (!BuildIndex(monitor)) {
        database.Rollback();
        ForgetBuiltRows();
        cellSize = cellSizeBefore;
        LogBuildFailure("Could not create");
        return false;
    }
    check.RecordBuild(database.IndexTableName(dataTable, indexName.c_str()), Source());
    if (!database.Commit()) {
        cellSize = cellSizeBefore;
        ForgetBuiltRows();
        LogBuildFailure("Could not save");
        return false;
    }
    return true;
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

bool IndexedGridData::FillWithNeighbours(const std::string& table, ProgressMonitor& progress) {
    const std::vector<SourceCell>& cells = Source().GetCells();
    progress.SetMessage("%s", kind.buildMessage);
    progress.SetTotal(cells.size());
    Statement cast(database, kCastToReal);
    const IndexRows::Parser parse = [&cast](const char* text) {
        return SqliteReading(cast, text, 0.0);
    };
    IndexRows rows(cells, kind.countIsInteger, parse);
    const CellNeighbours& around = Source().GetNeighbours(parse, cellSize);
    rows.SpreadToNeighbours(around);
    if (!rows.IsExact()) {
        return false;
    }
    cellSize = around.CellSize();

    // A real column gets the number itself where "%f" writes it exactly,
    // otherwise the text, which SQLite reads as it reads the same literal.
    const bool integerCounts = kind.countIsInteger;
    auto setReal = [](BulkInsert::Values& values, int column, double value) {
        if (PrintsExactly(value)) {
            values.SetDouble(column, value);
        } else {
            values.SetText(column, PrintedNumber(value).text);
        }
    };
    auto setCount = [&](BulkInsert::Values& values, int column, double value) {
        if (integerCounts) {
            values.SetInt(column, static_cast<int>(value));
        } else {
            setReal(values, column, value);
        }
    };
    const std::vector<IndexRows::Row>& filled = rows.Rows();
    const int written = BulkInsert::Run(database, SqlName(table), 7, filled.size(),
                                        [&](size_t at, BulkInsert::Values& values) {
                                            const IndexRows::Row& row = filled[at];
                                            setReal(values, 0, row.x);
                                            setReal(values, 1, row.y);
                                            setCount(values, 2, row.count);
                                            setCount(values, 3, row.n);
                                            setCount(values, 4, row.e);
                                            setCount(values, 5, row.s);
                                            setCount(values, 6, row.w);
                                            progress.AddProgress(1);
                                        });
    size_t lowest = 0;
    size_t highest = 0;
    if (lookupTiming != LookupIndexes::WithTable && rows.ExtremeRows(lowest, highest)) {
        // A fresh table numbers its rows from 1 in the order written.
        lookupsPending = true;
        lowestRow = static_cast<long long>(lowest) + 1;
        highestRow = static_cast<long long>(highest) + 1;
        // Nor need the first picture read back what was just written.
        if (!memory) {
            builtCells = rows.HeldCells();
        }
    } else {
        CreateLookupIndexes(table);
    }

    // The neighbour pass is done with the rows; its figures end where it would end.
    progress.SetTotal(written);
    progress.SetProgress(written);
    return true;
}

void IndexedGridData::FillFromSource(ProgressMonitor& progress,
                                     const std::function<Query(const SourceCell&)>& insertFor) {
    const std::vector<SourceCell>& cells = Source().GetCells();
    progress.SetMessage("%s", kind.buildMessage);
    progress.SetTotal(cells.size());
    for (const SourceCell& cell : cells) {
        database.RunQuery(insertFor(cell));
        progress.AddProgress(1);
    }
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

std::string IndexedGridData::LookupIndexName(const char* what) const {
    return std::string("TB_IDX_") + what + "_" + kind.indexSuffix + "_" +
           std::to_string(QueryChecksum(sourceQuery.Text()));
}

void IndexedGridData::CreateLookupIndexes(const std::string& table) {
    const std::string t = SqlName(table);
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    auto create = [&](const char* what, const std::string& columns) {
        const std::string name = LookupIndexName(what);
        if (!HasIndex(name)) {
            database.RunQuery(Query("CREATE INDEX %s on %s (%s)", SqlName(name).c_str(), t.c_str(),
                                    columns.c_str()));
        }
    };
    create("LOCATION_XY", x + ", " + y);
    create("LOCATION_X", x);
    create("LOCATION_Y", y);
    create("COUNT", "count");
}

bool IndexedGridData::HasIndex(const std::string& name) {
    Statement index(database, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1");
    index.Bind(1, name.c_str());
    return index.Step();
}

bool IndexedGridData::HasLookupIndexes() {
    for (const char* what : {"LOCATION_XY", "LOCATION_X", "LOCATION_Y", "COUNT"}) {
        if (!HasIndex(LookupIndexName(what))) {
            return false;
        }
    }
    return true;
}

void IndexedGridData::ForgetBuiltRows() {
    builtCells.reset();
    lookupsPending = false;
    lowestRow = 0;
    highestRow = 0;
}

bool IndexedGridData::FinishLookupIndexes(Database database, const char* dataTable,
                                          const std::vector<IndexedGridData*>& sets) {
    std::vector<IndexedGridData*> lacking;
    for (IndexedGridData* set : sets) {
        if (set && set->lookupsPending) {
            // A table deleted since has nothing left to finish.
            set->lookupsPending = *set->GetTableName() != '\0';
            if (set->lookupsPending) {
                lacking.push_back(set);
            }
        }
    }
    if (lacking.empty()) {
        return true;
    }
    // A read-only file is read without them; its writes are not even tried.
    bool done = !database.IsReadOnly() && database.Begin();
    if (done) {
        for (IndexedGridData* set : lacking) {
            set->CreateLookupIndexes(set->GetTableName());
        }
        database.RecordKnownState(dataTable);
        done = database.Commit();
    }
    if (!done) {
        const StatementFailure failure = database.GetBatchFailure();
        LogConsole(
            "The lookup indexes of the index tables for %s were not created because %s (%s); "
            "the tables are read without them.",
            dataTable, DescribeFailure(failure).c_str(), FailureDetails(failure).c_str());
        return false;
    }
    for (IndexedGridData* set : lacking) {
        set->lookupsPending = false;
    }
    return true;
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
    // Whoever reads the table by its name needs it written.
    WritePendingTable();
    tableName = outOfDate ? std::string() : database.IndexTableName(dataTable, indexName.c_str());
    return tableName.c_str();
}

void IndexedGridData::SetFilter(const Query& query) {
    filter = query;
    filterIsView = false;
}

void IndexedGridData::SetViewFilter(const ViewFilter& view) {
    filter = ViewFilterQuery(view, xColumn, yColumn);
    viewRange = RangeOf(view);
    filterIsView = true;
}

ViewFilter IndexedGridData::RangeOf(const ViewFilter& view) {
    Statement cast(database, kCastToReal);
    auto asRead = [&cast](double value) {
        return SqliteReading(cast, PrintedNumber(value).text, value);
    };
    return ViewFilter{view.kind,         asRead(view.xMin), asRead(view.yMin),
                      asRead(view.xMax), asRead(view.yMax), view.zerosUnused};
}
