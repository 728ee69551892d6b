// The loading sequence and cursor shared by the grid data sets that keep
// their cells in a cached index table of the database.
#pragma once

#include <wx/string.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/ProgressMonitor.h"
#include "data/GridData.h"
#include "data/GridSource.h"
#include "data/IndexCells.h"
#include "data/SourceCheck.h"
#include "db/Database.h"
#include "db/Statement.h"

// Whether a set that builds its index table creates the table's lookup
// indexes in the same transaction, or leaves them to FinishLookupIndexes so
// that a first picture need not wait for them (they cost most of a build);
// or leaves the table itself for later too, drawn meanwhile from its rows
// worked out in memory (WritePendingTable writes it).
enum class LookupIndexes { WithTable, Later, TableLater };

class IndexedGridData : public GridData {
  public:
    // What tells the two sets apart while loading.
    struct Kind {
        const char* loadingMessage;  // "Loading Uptake Data..."
        const char* buildMessage;    // "Creating Uptake Index. Please be patient..."
        const char* indexPrefix;     // "uptake_%d"
        const char* indexSuffix;     // "UPTAKE", in the names of the table's SQL indexes
        bool countIsInteger;         // the neighbour table stores counts as integers
    };

    double GetMaxValue() override { return maxValue; }
    double GetMinValue() override { return minValue; }
    bool ContainsEither(double x1, double x2, double y1, double y2) override;
    void First() override;
    bool IsValid() override;
    void Next() override;
    void Close() override;
    double GetValue() override;
    double GetX() override;
    double GetY() override;
    const char* GetXColumn() override { return xColumn; }
    const char* GetYColumn() override { return yColumn; }
    const char* GetTableName() override;
    void SetFilter(const Query& query) override;
    void SetViewFilter(const ViewFilter& view) override;
    bool ReadLevelCells(const ViewFilter& view, std::vector<LevelCell>& cells) override;

    const std::string& GetIndexName() const { return indexName; }
    // False when the index table could not be built and committed (for
    // example a read-only file), or was found out of date and could not be
    // built again; the set then has no cells.
    bool IsIndexReady() const { return indexReady; }
    // Why the index table could not be built; cause None when it was not tried or worked.
    const StatementFailure& GetBuildFailure() const { return buildFailure; }
    // Reads the index table's rows into memory now, so that drawing and
    // readings need not read the file later (they otherwise load at the first
    // view drawn).
    void HoldCells();
    // The rows in memory, once loaded; null before, or when the table cannot
    // be held that way.
    const IndexCells* GetHeldCells() const { return memory.get(); }
    // Whether the table still lacks lookup indexes: left for later by its
    // build, or found without them (a program stopped before creating them).
    bool LacksLookupIndexes() const { return lookupsPending; }
    // Whether the table itself is still to be written (LookupIndexes::TableLater).
    bool IsTablePending() const { return tablePending; }
    // Builds it, as the loading would have, in one transaction; a build
    // that fails leaves the set as such a failure at its loading does.
    void WritePendingTable();
    // Creates the lookup indexes the sets lack, in one transaction that also
    // records the data table's state anew, since its commit changes the
    // file. False, logged, with the sets still lacking them, when it could
    // not be committed (a read-only file); the sets read their tables alike
    // without them, only slower.
    static bool FinishLookupIndexes(Database database, const char* dataTable,
                                    const std::vector<IndexedGridData*>& sets);

  protected:
    // source: the source query's rows when the caller reads them for several
    // sets; null to read them here.
    IndexedGridData(const Kind& kind, Database database, const Query& sourceQuery,
                    const char* dataTable, const char* xColumn, const char* yColumn,
                    GridSource* source, LookupIndexes lookups);
    ~IndexedGridData() = default;

    // Runs the loading sequence; called by the concrete constructor.
    void Load(ProgressMonitor monitor);
    // Fills the freshly created index table from the source rows. Runs inside
    // the build's transaction; returns false when the build cannot go on.
    virtual bool BuildIndex(ProgressMonitor monitor) = 0;

    // Build steps shared by both sets. StartIndexTable drops a stale
    // registration and any unregistered table of the same name, creates and
    // registers the table, and returns its name (empty when it was not created).
    std::string StartIndexTable(const Query& columns);
    // Writes every row complete, its neighbours' values worked out in memory,
    // then the lookup indexes. False, having written nothing, when the source
    // holds values that only the statement-by-statement build reproduces.
    bool FillWithNeighbours(const std::string& table, ProgressMonitor& progress);
    // Inserts one row per source row, in source order, with the statement
    // insertFor makes for it, and reports each row to the monitor.
    void FillFromSource(ProgressMonitor& progress,
                        const std::function<Query(const SourceCell& source)>& insertFor);
    // The neighbour pass: every cell of the table hands its value to the four
    // cells around it through the statements updatesFor makes (an empty query
    // when the cell hands nothing on).
    void SpreadToNeighbours(const std::string& table, ProgressMonitor& progress,
                            const std::function<Query(const Row& cell)>& updatesFor);
    // Creates those of the table's four lookup indexes that are not there.
    void CreateLookupIndexes(const std::string& table);
    void ReadCellSize(const char* format, const std::string& table);

    const Kind kind;
    std::map<wxString, double> cellValues;
    double maxValue = -100000.0;
    double minValue = 100000.0;
    Database database;
    Query sourceQuery;
    Query filter;
    const char* dataTable;
    const char* xColumn;
    const char* yColumn;
    // The cursor's statement, and where its columns are.
    std::unique_ptr<Statement> cursor;
    int xAt = -1;
    int yAt = -1;
    int countAt = -1;
    bool onRow = false;
    // The view the filter stands for, when a renderer set it, and the cells
    // the cursor walks when they come from memory.
    bool filterIsView = false;
    ViewFilter viewRange{};
    // The held cell of the walk, and the view it walks.
    IndexCells::Walk heldWalk;
    ViewFilter heldView{};
    std::string indexName;
    std::string tableName;  // storage for GetTableName
    bool indexReady = false;
    // The registered table no longer shows its source and could not be
    // built again: it is not read.
    bool outOfDate = false;
    StatementFailure buildFailure;
    const LookupIndexes lookupTiming;
    bool lookupsPending = false;
    // The rows (ids) that hold the least and the greatest count, as the count
    // index would give them, when the build worked them out; 0 otherwise.
    long long lowestRow = 0;
    long long highestRow = 0;
    // The rows as the table holds them, worked out by such a build.
    std::unique_ptr<IndexCells> builtCells;

  private:
    GridSource* sharedSource;
    // The table is still to be written (its source kept until then); and
    // what the set is when that fails.
    bool tablePending = false;
    bool outOfDateUnlessBuilt = false;
    double cellSizeBeforeHolding = 1.0;
    std::unique_ptr<GridSource> ownSource;
    // The index table's rows, loaded at the first view asked for; tried once.
    std::unique_ptr<IndexCells> memory;
    bool memoryTried = false;

    // The view as the query's comparisons see it: each bound as SQLite reads
    // its "%f" text.
    ViewFilter RangeOf(const ViewFilter& view);
    void TakeTable(ProgressMonitor& progress);
    bool HoldBeforeWriting();
    // The cursor over the rows in memory that the view filter selects.
    void SelectHeld();
    // The name of one of the table's lookup indexes, "TB_IDX_<what>_<kind>_<checksum>".
    std::string LookupIndexName(const char* what) const;
    // The table's rows in memory, for the view queries the set builds
    // itself; null when they must be read by the query.
    IndexCells* MemoryFor(const std::string& table);
    // True when the table has the set's y lookup index, on y alone.
    bool HasYIndex(const std::string& table);
    bool HasIndex(const std::string& name);
    bool HasLookupIndexes();
    void ForgetBuiltRows();
    // The count's range, through the rows the build found when it did.
    void ReadValueRange(const std::string& table);
    GridSource& Source();
    // True when the table was built and committed.
    bool BuildInTransaction(ProgressMonitor monitor, SourceCheck& check);
    // Whether the registered table still shows its source; false (logged)
    // when it must be built again.
    bool IsUpToDate(SourceCheck& check, bool& recorded);
    void LogBuildFailure(const char* what);
    bool TablePresent(const std::string& table);
    const char* FilterText() const;
};
