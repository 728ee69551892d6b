// Writes a new plot file, its grid and stem tables, row by row with prepared
// statements in one transaction: the one writer of the demo generator and
// the import. Every uptake and position is stored as a real, so that no
// column reads as integers.
#pragma once

#include <string>
#include <vector>

#include "data/PlotTables.h"
#include "db/BulkWriter.h"

// The largest number of trees a grid table can hold (SQLite's column limit
// less the three position columns).
constexpr int kMaxPlotTrees = 1997;

// How a stem column is declared and its values stored.
enum class StemType { Text, Real, Integer };

struct StemField {
    std::string name;
    StemType type;
};

class PlotWriter : public GridSink {
  public:
    // Creates the file when it is missing; Error() tells why it could not be opened.
    explicit PlotWriter(const std::string& path) : writer(path) {}

    bool IsOpen() const { return writer.IsOpen(); }
    // Begins the transaction and the grid table: gridcell_id, x_coord,
    // y_coord, then one column per tree.
    bool StartGrid(const std::vector<std::string>& trees) override;
    // One cell with one value per tree, in the order of StartGrid's trees.
    bool AddCell(long long id, double x, double y, const double* uptake) override;
    // The stem table, after the last cell.
    bool StartStems(const std::vector<StemField>& fields);
    // The values of the next stem by 0-based field, then AddStem.
    void SetText(int field, const std::string& value) { writer.BindText(field + 1, value); }
    void SetReal(int field, double value) { writer.BindDouble(field + 1, value); }
    void SetInteger(int field, long long value) { writer.BindInt(field + 1, value); }
    bool AddStem() { return writer.Step(); }
    // Commits both tables.
    bool Commit() { return writer.Exec("COMMIT"); }
    void Close() { writer.Close(); }
    const std::string& Error() const { return writer.Error(); }

  private:
    BulkWriter writer;
    size_t treeCount = 0;
};
