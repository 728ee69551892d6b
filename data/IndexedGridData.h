// The loading sequence and cursor shared by the grid data sets that keep
// their cells in a cached index table of the database.
#pragma once

#include <wx/string.h>

#include <map>
#include <string>

#include "app/ProgressMonitor.h"
#include "data/GridData.h"
#include "db/Database.h"

class IndexedGridData : public GridData {
  public:
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

  protected:
    struct Kind {
        const char* loadingMessage;  // "Loading Uptake Data..."
        const char* buildMessage;    // "Creating Uptake Index. Please be patient..."
        const char* indexPrefix;     // "uptake_%d"
        bool countIsInteger;         // the neighbour table stores counts as integers
    };

    IndexedGridData(const Kind& kind, Database database, const Query& sourceQuery,
                    const char* dataTable, const char* xColumn, const char* yColumn);
    ~IndexedGridData() = default;

    // Runs the loading sequence; called by the concrete constructor.
    void Load(ProgressMonitor monitor);
    // Fills the freshly created index table T from the source rows.
    virtual void BuildIndex(ProgressMonitor monitor) = 0;

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
};
