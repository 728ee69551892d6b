// One pass over the grid table that hands on each row's corner and the value
// of every tree column, as SQLite reads it as a real (full precision, unlike
// the data sets' single-precision reading). The tree statistics gather their
// sums from it; a pass shared with other per-tree tables may replace it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/Database.h"

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

  private:
    Database database;
    std::vector<std::string> treeNames;
    bool namesRead = false;
};
