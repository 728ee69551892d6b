// Summed nitrogen uptake of each cell, with the same sum for the cell's four
// neighbours, cached in an index table.
#pragma once

#include <memory>
#include <string>

#include "data/IndexedGridData.h"

class UptakeGridData final : public IndexedGridData {
  public:
    UptakeGridData(Database database, const Query& sourceQuery, const char* dataTable,
                   const char* xColumn, const char* yColumn, ProgressMonitor monitor,
                   GridSource* source = nullptr, LookupIndexes lookups = LookupIndexes::WithTable);
    ~UptakeGridData() = default;

    // One tree's uptake in the plot's grid: the cells where its column is
    // not 0. The cells are chosen comparing numbers, so that values stored
    // as text ("0.0", "NA") choose the cells numbers would; the index table
    // keeps the name TreeUptakeQuery gives it. gathered: what a pass over
    // many trees found for this one (GatherTreeSources); null to read it here.
    static std::unique_ptr<UptakeGridData> ForTree(Database database, const std::string& label,
                                                   ProgressMonitor monitor,
                                                   GatheredSource* gathered = nullptr);

    // Whether the tree's index table is registered in the file (it may
    // still be found out of date when its set is made).
    static bool HasTreeTable(Database database, const std::string& label);

    void AddPoint(double x, double y, const std::vector<double>& values) override;
    double GetValueAt(double x, double y) override;
    wxString GetName() override;
    void ClearFilter() override;

  protected:
    bool BuildIndex(ProgressMonitor monitor) override;
};

// The source query of one tree's uptake in the grid: the cells where its
// column is not 0. Its text names the tree's index table.
std::string TreeUptakeQuery(const std::string& label);
