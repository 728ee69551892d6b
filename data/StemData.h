// Summary of the `stem` table: extents and number of stems.
#pragma once

#include "base/ProgressMonitor.h"
#include "db/Database.h"

class StemData {
  public:
    StemData(Database database, const char* table, ProgressMonitor monitor);

    double GetXMin() const { return xMin; }
    double GetXMax() const { return xMax; }
    double GetYMin() const { return yMin; }
    double GetYMax() const { return yMax; }
    const char* GetTable() const { return table; }
    int GetStemCount() const { return stemCount; }

  private:
    double xMin = 100000.0;
    double xMax = 100000.0;
    double yMin = 100000.0;
    double yMax = 100000.0;
    int stemCount = 0;
    Database database;
    const char* table;
};
