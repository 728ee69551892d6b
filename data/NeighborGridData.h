// Number of trees taking up nitrogen in each cell, with the same number for
// the cell's four neighbours, cached in an index table.
#pragma once

#include "data/IndexedGridData.h"

class NeighborGridData final : public IndexedGridData {
  public:
    NeighborGridData(Database database, const Query& sourceQuery, const char* dataTable,
                     const char* xColumn, const char* yColumn, ProgressMonitor monitor,
                     GridSource* source = nullptr,
                     LookupIndexes lookups = LookupIndexes::WithTable);
    ~NeighborGridData() = default;

    double GetValueAt(double x, double y) override;
    wxString GetName() override;
    void AddPoint(double x, double y, const std::vector<double>& values) override;
    void ClearFilter() override;  // keeps the filter

  protected:
    bool BuildIndex(ProgressMonitor monitor) override;
};
