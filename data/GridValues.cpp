#include "data/GridValues.h"

#include <sqlite3.h>

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
    Statement rows(database, kGridRows);
    int xColumn = -1;
    int yColumn = -1;
    std::vector<double> values(trees);
    while (rows.Step()) {
        sqlite3_stmt* handle = rows.Handle();
        if (xColumn < 0 && yColumn < 0) {
            // Positions by name, as the data sets read them; a missing one reads 0.
            xColumn = rows.Find("x_coord");
            yColumn = rows.Find("y_coord");
        }
        const double x = xColumn >= 0 ? sqlite3_column_double(handle, xColumn) : 0.0;
        const double y = yColumn >= 0 ? sqlite3_column_double(handle, yColumn) : 0.0;
        for (size_t i = 0; i < trees; ++i) {
            values[i] = sqlite3_column_double(handle, int(i) + kFirstTreeColumn);
        }
        visit(x, y, values);
    }
    if (!rows.Finished()) {
        error = "the grid table could not be read to its end";
        return false;
    }
    return true;
}
