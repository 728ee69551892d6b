#include "data/NeighborGridData.h"

#include "db/SqlText.h"

namespace {

const IndexedGridData::Kind kNeighborKind = {
    "Loading Neighbor Data...",
    "Creating Neighbor Index. Please be patient...",
    "neighbor_%d",
    "NEIGHBOR",
    true,
};

// Each cell hands its count to the four cells around it: the cell to the
// south gets it as its north value, and so on.
const char* const kNeighborUpdates =
    "UPDATE %s SET n = %d WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET e = %d WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET s = %d WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET w = %d WHERE %s = %f AND %s = %f;";

}  // namespace

NeighborGridData::NeighborGridData(Database database, const Query& sourceQuery,
                                   const char* dataTable, const char* xColumn, const char* yColumn,
                                   ProgressMonitor monitor, GridSource* source,
                                   LookupIndexes lookups)
    : IndexedGridData(kNeighborKind, database, sourceQuery, dataTable, xColumn, yColumn, source,
                      lookups) {
    Load(monitor);
}

double NeighborGridData::GetValueAt(double x, double y) {
    const std::string table = GetTableName();
    if (table.empty()) {
        return defaultValue;
    }
    Result result = database.RunQuery(Query("SELECT * FROM (%s) WHERE %s = %f AND %s = %f",
                                            SqlName(table).c_str(), SqlName(xColumn).c_str(), x,
                                            SqlName(yColumn).c_str(), y));
    if (!result.HasRow()) {
        return defaultValue;
    }
    Row row = result.NextRow();
    result.Close();
    int positive = 0;
    for (unsigned i = 3; i < row.ColumnCount(); ++i) {
        if (row.GetDouble(i) > 0.0) {
            ++positive;
        }
    }
    return positive;
}

wxString NeighborGridData::GetName() {
    return "Total Nitrogen Uptake Grid";
}

void NeighborGridData::AddPoint(double, double, const std::vector<double>&) {}

void NeighborGridData::ClearFilter() {}

bool NeighborGridData::BuildIndex(ProgressMonitor monitor) {
    ProgressMonitor progress(monitor);
    const Query columns(
        "`%s` double, `%s` double, `count` int(11), `n` int(11), `e` int(11), `s` int(11), `w` "
        "int(11)",
        SqlQuoted(xColumn, '`').c_str(), SqlQuoted(yColumn, '`').c_str());
    const std::string table = StartIndexTable(columns);
    if (table.empty()) {
        return false;
    }
    if (FillWithNeighbours(table, progress)) {
        return true;
    }
    const std::string t = SqlName(table);
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);

    FillFromSource(progress, [&](const SourceCell& cell) {
        return Query("INSERT INTO %s VALUES(%f, %f, %d, 0, 0, 0, 0)", t.c_str(), cell.x, cell.y,
                     cell.positive);
    });
    CreateLookupIndexes(table);
    ReadCellSize("SELECT DISTINCT %s FROM %s ORDER BY %s DESC", table);

    // Only cells that trees draw from hand their count on.
    const char* tn = t.c_str();
    const char* xn = x.c_str();
    const char* yn = y.c_str();
    SpreadToNeighbours(table, progress, [&](const Row& cell) {
        const int c = cell.GetInt("count");
        if (c <= 0) {
            return Query();
        }
        const double cx = cell.GetDouble(xColumn);
        const double cy = cell.GetDouble(yColumn);
        return Query(kNeighborUpdates, tn, c, xn, cx, yn, cy - cellSize, tn, c, xn, cx - cellSize,
                     yn, cy, tn, c, xn, cx, yn, cy + cellSize, tn, c, xn, cx + cellSize, yn, cy);
    });
    return true;
}
