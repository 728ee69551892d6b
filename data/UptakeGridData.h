// Summed nitrogen uptake of each cell, with the same sum for the cell's four
// neighbours, cached in an index table.
#pragma once

#include "data/IndexedGridData.h"

class UptakeGridData final : public IndexedGridData {
  public:
    UptakeGridData(Database database, const Query& sourceQuery, const char* dataTable,
                   const char* xColumn, const char* yColumn, ProgressMonitor monitor,
                   GridSource* source = nullptr);
    ~UptakeGridData() = default;

    void AddPoint(double x, double y, const std::vector<double>& values) override;
    double GetValueAt(double x, double y) override;
    wxString GetName() override;
    void ClearFilter() override;

  protected:
    bool BuildIndex(ProgressMonitor monitor) override;
};
