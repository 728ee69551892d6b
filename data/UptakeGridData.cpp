#include "data/UptakeGridData.h"

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

UptakeGridData::UptakeGridData(Database database, const Query& sourceQuery, const char* dataTable,
                               const char* xColumn, const char* yColumn, ProgressMonitor monitor)
    : IndexedGridData(kUptakeKind, database, sourceQuery, dataTable, xColumn, yColumn) {
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
    filter = Query();
}

bool UptakeGridData::BuildIndex(ProgressMonitor monitor) {
    ProgressMonitor progress(monitor);
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    const Query columns(
        "`%s` double, `%s` double, `count` double, `n` double, `e` double, `s` double, `w` double",
        SqlQuoted(xColumn, '`').c_str(), SqlQuoted(yColumn, '`').c_str());
    const std::string table = StartIndexTable(columns);
    if (table.empty()) {
        return false;
    }
    const std::string t = SqlName(table);

    Result source = RunSource();
    progress.SetMessage("%s", kind.buildMessage);
    progress.SetTotal(source.RowCount());
    while (source.HasRow()) {
        Row row = source.NextRow();
        double sum = 0.0;
        for (unsigned i = 3; i < row.ColumnCount(); ++i) {
            sum += row.GetDouble(i);
        }
        database.RunQuery(Query("INSERT INTO %s VALUES(%f, %f, %f, 0, 0, 0, 0)", t.c_str(),
                                row.GetDouble(xColumn), row.GetDouble(yColumn), sum));
        progress.AddProgress(1);
    }
    source.Close();

    CreateLookupIndexes(table);
    ReadCellSize("SELECT DISTINCT %s FROM %s ORDER BY %s DESC", table);

    // Cells are matched by exact equality with the printed coordinate, which
    // is how the coordinate was stored by the INSERT above. Negative sums
    // spread like positive ones.
    Result cells = database.RunQuery(Query("SELECT * FROM %s", t.c_str()));
    if (cells.Status() == ResultStatus::HasRows) {
        cells.Rewind();
    }
    progress.SetTotal(cells.RowCount());
    progress.SetProgress(0);
    const char* tn = t.c_str();
    const char* xn = x.c_str();
    const char* yn = y.c_str();
    while (cells.HasRow()) {
        Row row = cells.NextRow();
        const double cx = row.GetDouble(xColumn);
        const double cy = row.GetDouble(yColumn);
        const double v = row.GetDouble("count");
        if (v != 0.0) {
            database.RunQueries(Query(kUptakeUpdates, tn, v, xn, cx, yn, cy - cellSize, tn, v, xn,
                                      cx - cellSize, yn, cy, tn, v, xn, cx, yn, cy + cellSize, tn,
                                      v, xn, cx + cellSize, yn, cy));
        }
        progress.AddProgress(1);
    }
    cells.Close();
    return true;
}
