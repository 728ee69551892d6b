// A forward cursor over labelled points with per-column values (the stems).
// The rows are read once, when the set is made, and held in memory: walking
// them again (every drawing of a stem map, every stem looked up) never waits
// for the file.
#pragma once

#include <wx/string.h>

#include <vector>

#include "base/ProgressMonitor.h"
#include "db/Database.h"

class PointData {
  public:
    PointData(Database database, const Query& sourceQuery, const char* labelColumn,
              const char* xColumn, const char* yColumn, ProgressMonitor monitor);

    void First();
    bool IsValid();
    void Next();
    void Close();
    double GetX();
    double GetY();
    wxString GetLabel();
    // The column's value in single precision; an attribute stored as -1 counts
    // as missing and gives 0.0 with a console log line.
    double GetColumnValue(const wxString& column);
    std::vector<wxString> GetColumnNames() const { return columnNames; }

    double GetXMin() const { return xMin; }
    double GetXMax() const { return xMax; }
    double GetYMin() const { return yMin; }
    double GetYMax() const { return yMax; }
    int GetPointCount() const { return pointCount; }

  private:
    double xMin = 100000.0;
    double xMax = -100000.0;
    double yMin = 100000.0;
    double yMax = -100000.0;
    int pointCount = 0;
    std::vector<wxString> columnNames;
    const char* labelColumn;
    const char* xColumn;
    const char* yColumn;
    std::vector<Row> rows;
    size_t next = 0;
    Row currentRow;
};
