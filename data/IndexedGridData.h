// The loading sequence and cursor shared by the grid data sets that keep
// their cells in a cached index table of the database.
#pragma once

#include <wx/string.h>

#include <functional>
#include <map>
#include <string>

#include "app/ProgressMonitor.h"
#include "data/GridData.h"
#include "db/Database.h"

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
    void SetFilter(const Query& query) override { filter = query; }

    const std::string& GetIndexName() const { return indexName; }
    // False when the index table could not be built and committed (for
    // example a read-only file); the set then has no cells.
    bool IsIndexReady() const { return indexReady; }
    // Why the index table could not be built; cause None when it was not tried or worked.
    const StatementFailure& GetBuildFailure() const { return buildFailure; }

  protected:
    IndexedGridData(const Kind& kind, Database database, const Query& sourceQuery,
                    const char* dataTable, const char* xColumn, const char* yColumn);
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
    Result RunSource();
    // Inserts one row per source row, in source order, with the statement
    // insertFor makes for it, and reports each row to the monitor.
    void FillFromSource(ProgressMonitor& progress,
                        const std::function<Query(const Row& source)>& insertFor);
    // The neighbour pass: every cell of the table hands its value to the four
    // cells around it through the statements updatesFor makes (an empty query
    // when the cell hands nothing on).
    void SpreadToNeighbours(const std::string& table, ProgressMonitor& progress,
                            const std::function<Query(const Row& cell)>& updatesFor);
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
    Result cursor;
    Row currentRow;
    std::string indexName;
    std::string tableName;  // storage for GetTableName
    bool indexReady = false;
    StatementFailure buildFailure;

  private:
    void BuildInTransaction(ProgressMonitor monitor);
    void LogBuildFailure(const char* what);
    bool TablePresent(const std::string& table);
    const char* FilterText() const;
};
