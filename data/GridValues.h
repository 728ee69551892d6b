// One pass over the grid table that hands on each row's corner and the value
// of every tree column, as SQLite reads it as a real (full precision, unlike
// the data sets' single-precision reading). The tree statistics gather their
// sums from it; the trees' own data sets gather their rows from the same
// pass (data/TreeSources).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/Database.h"
#include "db/Statement.h"

class GridValues {
  public:
    // Called once per row, in table order: the cell's corner and one value
    // per tree column, in column order.
    using Visit = std::function<void(double x, double y, const std::vector<double>& values)>;

    explicit GridValues(Database database) : database(std::move(database)) {}

    // The tree columns: every column of grid from the fourth on, as the
    // program names its trees. Known before the first row is read.
    const std::vector<std::string>& TreeNames();
    // Reads every row; false with one line in error when the table cannot be
    // read to its end (it is damaged, or another program keeps it locked).
    bool ReadAll(const Visit& visit, std::string& error);
    // The same pass for readers that want the values as stored: called once
    // per row with the statement standing on it. Without trees every column
    // is read (tree i is column i + 3); with them, gridcell_id, x_coord,
    // y_coord and those tree columns alone, in that order, which costs SQLite
    // far less on a wide grid.
    using RowVisit = std::function<void(const Statement& row)>;
    bool ReadRows(const RowVisit& visit, std::string& error,
                  const std::vector<std::string>& trees = {});

  private:
    Database database;
    std::vector<std::string> treeNames;
    bool namesRead = false;
};
