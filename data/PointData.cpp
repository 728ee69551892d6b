#include "data/PointData.h"

#include "base/Log.h"
#include "data/FirstValue.h"
#include "db/SqlText.h"

PointData::PointData(Database database, const Query& sourceQuery, const char* labelColumn,
                     const char* xColumn, const char* yColumn, ProgressMonitor monitor)
    : database(database),
      sourceQuery(sourceQuery),
      labelColumn(labelColumn),
      xColumn(xColumn),
      yColumn(yColumn) {
    ProgressMonitor progress(monitor);
    progress.SetTotal(5);
    progress.SetProgress(0);

    const char* source = this->sourceQuery.Text();
    // Ordered as numbers: a text column would put "99.5" after "123.0".
    const std::string x = SqlNumber(SqlName(xColumn));
    const std::string y = SqlNumber(SqlName(yColumn));
    struct Extent {
        const char* format;
        const std::string& orderBy;
        const char* column;
        double& value;
    };
    const Extent extents[] = {
        {"%s ORDER BY %s ASC", x, xColumn, xMin},
        {"%s ORDER BY %s DESC", x, xColumn, xMax},
        {"%s ORDER BY %s ASC", y, yColumn, yMin},
        {"%s ORDER BY %s DESC", y, yColumn, yMax},
    };
    for (const Extent& extent : extents) {
        ReadFirstValue(this->database, Query(extent.format, source, extent.orderBy.c_str()),
                       extent.column, extent.value);
        progress.AddProgress(1);
    }

    Result all = this->database.RunQuery(this->sourceQuery);
    pointCount = all.RowCount();
    for (const ColumnInfo& column : all.Columns()) {
        columnNames.push_back(wxString::FromUTF8(column.name.c_str()));
    }
    all.Close();
    progress.AddProgress(1);
}

void PointData::First() {
    cursor.Close();
    cursor = database.RunQuery(sourceQuery);
    if (cursor.Status() == ResultStatus::HasRows) {
        cursor.Rewind();
    }
    Next();
}

bool PointData::IsValid() {
    return currentRow.ColumnCount() > 0;
}

void PointData::Next() {
    currentRow = cursor.HasRow() ? cursor.NextRow() : Row();
}

void PointData::Close() {
    cursor.Close();
    currentRow = Row();
}

double PointData::GetX() {
    return currentRow.GetDouble(xColumn);
}

double PointData::GetY() {
    return currentRow.GetDouble(yColumn);
}

wxString PointData::GetLabel() {
    return wxString::FromUTF8(currentRow.GetString(labelColumn));
}

double PointData::GetColumnValue(const wxString& column) {
    const wxScopedCharBuffer name = column.utf8_str();
    const float value = static_cast<float>(currentRow.GetDouble(name.data()));
    if (value == -1.0f) {
        LogConsole("%s not found! returning 0", name.data());
        return 0.0;
    }
    return value;
}
