// Summary of the `grid` table: extents and tree names.
#pragma once

#include <wx/string.h>

#include <vector>

#include "base/ProgressMonitor.h"
#include "data/GridSource.h"
#include "db/Database.h"

class RootData {
  public:
    // source: the table's rows, read once for the grid sets too (over
    // "SELECT * FROM table", x_coord and y_coord).
    RootData(Database database, const char* table, ProgressMonitor monitor, GridSource& source);

    double GetXMin() const { return xMin; }
    double GetXMax() const { return xMax; }
    double GetYMin() const { return yMin; }
    double GetYMax() const { return yMax; }
    const char* GetTable() const { return table; }
    int GetTreeCount() const { return treeCount; }
    std::vector<wxString> GetTreeNames() const { return treeNames; }
    // False when the table has no cells, so that its extents mean nothing.
    bool HasCells() const { return hasCells; }

  private:
    double xMin = 100000.0;
    double xMax = 100000.0;
    double yMin = 100000.0;
    double yMax = 100000.0;
    int treeCount = 0;
    std::vector<wxString> treeNames;
    Database database;
    const char* table;
    bool hasCells = false;
};
