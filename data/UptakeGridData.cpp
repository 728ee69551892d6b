#include "data/UptakeGridData.h"

#include <cstdio>

#include "db/SqlText.h"

namespace {

const IndexedGridData::Kind kUptakeKind = {
    "Loading Uptake Data...",
    "Creating Uptake Index. Please be patient...",
    "uptake_%d",
    "UPTAKE",
    false,
};

// Each cell hands its sum to the four cells around it: the cell to the south
// gets it as its north value, and so on.
const char* const kUptakeUpdates =
    "UPDATE %s SET n = %f WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET e = %f WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET s = %f WHERE %s = %f AND %s = %f;\t\t\t "
    "UPDATE %s SET w = %f WHERE %s = %f AND %s = %f;";

// In-memory cells are told apart to two decimals.
wxString CellKey(double x, double y) {
    return wxString::Format(L"%.02f, %.02f", x, y);
}

}  // namespace

std::string TreeUptakeQuery(const std::string& label) {
    const std::string column = "`" + SqlQuoted(label, '`') + "`";
    return "SELECT gridcell_id, x_coord, y_coord, " + column + " FROM grid WHERE " + column +
           " != 0";
}

std::unique_ptr<UptakeGridData> UptakeGridData::ForTree(Database database, const std::string& label,
                                                        ProgressMonitor monitor,
                                                        GatheredSource* gathered) {
    const std::string column = "`" + SqlQuoted(label, '`') + "`";
    GridSource cells(database,
                     ("SELECT gridcell_id, x_coord, y_coord, " + column + " FROM grid WHERE " +
                      SqlNumber(column) + " != 0")
                         .c_str(),
                     "x_coord", "y_coord");
    if (gathered) {
        cells.Take(std::move(*gathered));
    }
    return std::make_unique<UptakeGridData>(database, Query("%s", TreeUptakeQuery(label).c_str()),
                                            "grid", "x_coord", "y_coord", monitor, &cells);
}

bool UptakeGridData::HasTreeTable(Database database, const std::string& label) {
    char name[64];
    std::snprintf(name, sizeof name, kUptakeKind.indexPrefix,
                  QueryChecksum(TreeUptakeQuery(label).c_str()));
    return database.IndexExists("grid", name);
}

UptakeGridData::UptakeGridData(Database database, const Query& sourceQuery, const char* dataTable,
                               const char* xColumn, const char* yColumn, ProgressMonitor monitor,
                               GridSource* source, LookupIndexes lookups)
    : IndexedGridData(kUptakeKind, database, sourceQuery, dataTable, xColumn, yColumn, source,
                      lookups) {
    Load(monitor);
}

void UptakeGridData::AddPoint(double x, double y, const std::vector<double>& values) {
    double sum = 0.0;
    for (double value : values) {
        sum += value;
    }
    if (sum > maxValue) {
        maxValue = sum;
    }
    if (minValue > sum) {
        minValue = sum;
    }
    if (xMin > x) {
        xMin = x;
    }
    if (x > xMax) {
        xMax = x;
    }
    if (yMin > y) {
        yMin = y;
    }
    if (y > yMax) {
        yMax = y;
    }
    cellValues[CellKey(x, y)] = sum;
    if (xMin < 100000.0) {
        const double d = x - xMin;
        if (d > 0 && d < cellSize) {
            cellSize = d;
        }
    }
}

double UptakeGridData::GetValueAt(double x, double y) {
    auto found = cellValues.find(CellKey(x, y));
    return found == cellValues.end() ? defaultValue : found->second;
}

wxString UptakeGridData::GetName() {
    return "Neighborhood Uptake Grid";
}

void UptakeGridData::ClearFilter() {
    SetFilter(Query());
}

bool UptakeGridData::BuildIndex(ProgressMonitor monitor) {
    ProgressMonitor progress(monitor);
    const Query columns(
        "`%s` double, `%s` double, `count` double, `n` double, `e` double, `s` double, `w` double",
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
        return Query("INSERT INTO %s VALUES(%f, %f, %f, 0, 0, 0, 0)", t.c_str(), cell.x, cell.y,
                     cell.sum);
    });
    CreateLookupIndexes(table);
    ReadCellSize("SELECT DISTINCT %s FROM %s ORDER BY %s DESC", table);

    // Every value other than 0 is handed on: negative sums spread like positive ones.
    const char* tn = t.c_str();
    const char* xn = x.c_str();
    const char* yn = y.c_str();
    SpreadToNeighbours(table, progress, [&](const Row& cell) {
        const double v = cell.GetDouble("count");
        if (v == 0.0) {
            return Query();
        }
        const double cx = cell.GetDouble(xColumn);
        const double cy = cell.GetDouble(yColumn);
        return Query(kUptakeUpdates, tn, v, xn, cx, yn, cy - cellSize, tn, v, xn, cx - cellSize, yn,
                     cy, tn, v, xn, cx, yn, cy + cellSize, tn, v, xn, cx + cellSize, yn, cy);
    });
    return true;
}
