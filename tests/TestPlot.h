// The one builder of the tests' plot files. The tables are written through
// SQLite directly, so that a fixture never depends on the code under test.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One grid cell: its position and each tree's value.
struct PlotCell {
    double x;
    double y;
    std::vector<double> values;
};

// One row of the stem table; the height column is there when a stem has one.
struct PlotStem {
    std::string tree;
    double x;
    double y;
    double dbh;
    double crown;
    std::optional<double> height = std::nullopt;
};

// Writes a grid table (gridcell_id, x_coord, y_coord, then one column per
// tree, declared double so that every value reads as a real) with the cells
// in the given order, numbered from firstId.
void MakeGrid(const std::string& path, const std::vector<std::string>& trees,
              const std::vector<PlotCell>& cells, int firstId = 1);
// The same with the trees named T1, T2, ...
void MakeGrid(const std::string& path, const std::vector<PlotCell>& cells, int trees);
// A grid of width x height unit cells at whole coordinates, column by
// column, numbered from 0, with value(tree, x, y) for each tree.
void MakeGridTable(const std::string& path, const std::vector<std::string>& trees, int width,
                   int height, double (*value)(int tree, int x, int y));

// Writes a stem table: Tree, Xrot0, Yrot0, dbh, Crown_d_m (and height).
void MakeStems(const std::string& path, const std::vector<PlotStem>& stems);

// The small plot of the window tests: 10 x 10 unit cells with trees T1 (2,
// 2), T2 (7, 3) and T3 (5, 8) that draw uptake, and a fourth stem T4 (9, 9)
// without a grid column (so without a row in the stem list).
void MakeTreePlot(const std::string& path);
// The same with a text column species: T1 and T2 are beeches ("FASY"), T3
// and T4 have none.
void MakeSpeciesTreePlot(const std::string& path);
