#include "data/GridValues.h"

#include <sqlite3.h>

#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

const char* const kGridRows = "SELECT * FROM grid";
constexpr int kFirstTreeColumn = 3;

}  // namespace

const std::vector<std::string>& GridValues::TreeNames() {
    if (!namesRead) {
        namesRead = true;
        Statement rows(database, kGridRows);
        sqlite3_stmt* handle = rows.Handle();
        const int count = handle ? sqlite3_column_count(handle) : 0;
        for (int i = kFirstTreeColumn; i < count; ++i) {
            const char* name = sqlite3_column_name(handle, i);
            treeNames.push_back(name ? name : "");
        }
    }
    return treeNames;
}

bool GridValues::ReadAll(const Visit& visit, std::string& error) {
    const size_t trees = TreeNames().size();
    int xColumn = -1;
    int yColumn = -1;
    bool first = true;
    std::vector<double> values(trees);
    return ReadRows(
        [&](const Statement& rows) {
            sqlite3_stmt* handle = rows.Handle();
            if (first) {
                // Positions by name, as the data sets read them; a missing one reads 0.
                first = false;
                xColumn = rows.Find("x_coord");
                yColumn = rows.Find("y_coord");
            }
            const double x = xColumn >= 0 ? sqlite3_column_double(handle, xColumn) : 0.0;
            const double y = yColumn >= 0 ? sqlite3_column_double(handle, yColumn) : 0.0;
            for (size_t i = 0; i < trees; ++i) {
                values[i] = sqlite3_column_double(handle, int(i) + kFirstTreeColumn);
            }
            visit(x, y, values);
        },
        error);
}

bool GridValues::ReadRows(const RowVisit& visit, std::string& error,
                          const std::vector<std::string>& trees) {
    std::string sql = kGridRows;
    if (!trees.empty()) {
        sql = "SELECT gridcell_id, x_coord, y_coord";
        for (const std::string& tree : trees) {
            sql += ", " + SqlName(tree);
        }
        sql += " FROM grid";
    }
    Statement rows(database, sql.c_str());
    while (rows.Step()) {
        visit(rows);
    }
    if (!rows.Finished()) {
        error = "the grid table could not be read to its end";
        return false;
    }
    return true;
}
