#include "TestPlot.h"

#include <algorithm>
#include <cstdlib>

#include "TestSupport.h"
#include "db/SqlText.h"

void MakeGrid(const std::string& path, const std::vector<std::string>& trees,
              const std::vector<PlotCell>& cells, int firstId) {
    std::string sql = "CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double";
    for (const std::string& tree : trees) {
        sql += ", " + SqlName(tree) + " double";
    }
    sql += "); BEGIN;";
    int id = firstId;
    for (const PlotCell& cell : cells) {
        sql += "INSERT INTO grid VALUES (" + std::to_string(id++) + ", " + std::to_string(cell.x) +
               ", " + std::to_string(cell.y);
        for (double value : cell.values) {
            sql += ", " + std::to_string(value);
        }
        sql += ");";
    }
    ExecSql(path, sql + "COMMIT;");
}

void MakeGrid(const std::string& path, const std::vector<PlotCell>& cells, int trees) {
    std::vector<std::string> names;
    for (int t = 1; t <= trees; ++t) {
        names.push_back("T" + std::to_string(t));
    }
    MakeGrid(path, names, cells);
}

void MakeGridTable(const std::string& path, const std::vector<std::string>& trees, int width,
                   int height, double (*value)(int tree, int x, int y)) {
    std::vector<PlotCell> cells;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            cells.push_back({double(x), double(y), {}});
            for (size_t t = 0; t < trees.size(); ++t) {
                cells.back().values.push_back(value(int(t), x, y));
            }
        }
    }
    MakeGrid(path, trees, cells, 0);
}

void MakeStems(const std::string& path, const std::vector<PlotStem>& stems) {
    const bool heights = std::any_of(stems.begin(), stems.end(),
                                     [](const PlotStem& stem) { return stem.height.has_value(); });
    std::string sql = "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, " +
                      std::string("Crown_d_m double") + (heights ? ", height double" : "") +
                      "); BEGIN;";
    for (const PlotStem& stem : stems) {
        sql += "INSERT INTO stem VALUES (" + SqlLiteral(stem.tree) + ", " + std::to_string(stem.x) +
               ", " + std::to_string(stem.y) + ", " + std::to_string(stem.dbh) + ", " +
               std::to_string(stem.crown) +
               (heights ? ", " + std::to_string(stem.height.value_or(-1.0)) : "") + ");";
    }
    ExecSql(path, sql + "COMMIT;");
}

void MakeTreePlot(const std::string& path) {
    MakeGridTable(path, {"T1", "T2", "T3"}, 10, 10, [](int tree, int x, int y) {
        const int stems[3][2] = {{2, 2}, {7, 3}, {5, 8}};
        return double(std::max(0, 4 - std::abs(x - stems[tree][0]) - std::abs(y - stems[tree][1])));
    });
    MakeStems(path, {{"T1", 2.0, 2.0, 0.3, 4.0, 12.5},
                     {"T2", 7.0, 3.0, 0.5, 6.0, 20.0},
                     {"T3", 5.0, 8.0, 0.2, 3.0, 9.0},
                     {"T4", 9.0, 9.0, 0.1, 2.0, 5.0}});
}

void MakeSpeciesTreePlot(const std::string& path) {
    MakeTreePlot(path);
    ExecSql(path,
            "ALTER TABLE stem ADD COLUMN species TEXT;"
            "UPDATE stem SET species = 'FASY' WHERE Tree IN ('T1', 'T2');");
}
