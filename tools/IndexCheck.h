// An independent recomputation of the neighbour and uptake index tables from
// their source rows, straight through SQLite, to check what the program built.
// It follows the published rules (values read in single precision with the
// column types of the first row, numbers passed through "%f", neighbours
// matched by exact equality) without sharing any code with the data sets.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace indexcheck {

struct Cell {
    double x = 0.0, y = 0.0, count = 0.0, n = 0.0, e = 0.0, s = 0.0, w = 0.0;
};

// A value as "%f" writes it into SQL and SQLite reads it back.
inline double Printed(double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%f", value);
    return std::strtod(buffer, nullptr);
}

// A column value as the query layer reads it with the type of the first row.
inline double ReadAs(sqlite3_stmt* statement, int column, int firstRowType) {
    switch (firstRowType) {
        case SQLITE_INTEGER:
            return sqlite3_column_int(statement, column);
        case SQLITE_FLOAT:
            return static_cast<float>(sqlite3_column_double(statement, column));
        default: {
            const unsigned char* text = sqlite3_column_text(statement, column);
            return static_cast<float>(std::atof(text ? reinterpret_cast<const char*>(text) : ""));
        }
    }
}

// The rows an index table must hold, in source order, for the source query.
inline std::vector<Cell> ExpectedCells(sqlite3* db, const std::string& sourceSql, bool uptake,
                                       const char* xColumn = "x_coord",
                                       const char* yColumn = "y_coord") {
    std::vector<Cell> cells;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sourceSql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return cells;
    }
    std::vector<int> types;
    int xIndex = -1;
    int yIndex = -1;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        if (types.empty()) {
            for (int i = 0; i < columns; ++i) {
                types.push_back(sqlite3_column_type(statement, i));
                const char* name = sqlite3_column_origin_name(statement, i);
                if (name && std::strcmp(name, xColumn) == 0) {
                    xIndex = i;
                }
                if (name && std::strcmp(name, yColumn) == 0) {
                    yIndex = i;
                }
            }
        }
        Cell cell;
        cell.x = Printed(xIndex < 0 ? 0.0 : ReadAs(statement, xIndex, types[xIndex]));
        cell.y = Printed(yIndex < 0 ? 0.0 : ReadAs(statement, yIndex, types[yIndex]));
        double sum = 0.0;
        int positive = 0;
        for (int i = 3; i < columns; ++i) {
            const double value = ReadAs(statement, i, types[i]);
            sum += value;
            positive += value > 0.0 ? 1 : 0;
        }
        cell.count = uptake ? Printed(sum) : positive;
        cells.push_back(cell);
    }
    sqlite3_finalize(statement);

    // The cell size: the two largest distinct x values, read back in single precision.
    std::vector<double> xs;
    for (const Cell& cell : cells) {
        xs.push_back(cell.x);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    double cellSize = 1.0;
    if (xs.size() >= 2) {
        cellSize = static_cast<double>(static_cast<float>(xs[xs.size() - 1])) -
                   static_cast<double>(static_cast<float>(xs[xs.size() - 2]));
    }

    std::multimap<std::pair<double, double>, size_t> at;
    for (size_t i = 0; i < cells.size(); ++i) {
        at.emplace(std::make_pair(cells[i].x, cells[i].y), i);
    }
    auto give = [&](double x, double y, double Cell::*field, double value) {
        auto range = at.equal_range(std::make_pair(Printed(x), Printed(y)));
        for (auto it = range.first; it != range.second; ++it) {
            cells[it->second].*field = value;
        }
    };
    for (size_t k = 0; k < cells.size(); ++k) {
        const double x = static_cast<float>(cells[k].x);
        const double y = static_cast<float>(cells[k].y);
        double value = 0.0;
        if (uptake) {
            value = static_cast<float>(cells[k].count);
            if (value == 0.0) {
                continue;
            }
            value = Printed(value);
        } else {
            value = cells[k].count;
            if (value <= 0.0) {
                continue;
            }
        }
        give(x, y - cellSize, &Cell::n, value);
        give(x - cellSize, y, &Cell::e, value);
        give(x, y + cellSize, &Cell::s, value);
        give(x + cellSize, y, &Cell::w, value);
    }
    return cells;
}

// Empty when the table holds exactly the expected rows in order; otherwise
// what differs first.
inline std::string CompareTable(sqlite3* db, const std::string& table,
                                const std::vector<Cell>& expected) {
    std::string quoted = "\"";
    for (char c : table) {
        quoted += c;
        if (c == '"') {
            quoted += c;
        }
    }
    quoted += "\"";
    const std::string sql = "SELECT * FROM " + quoted + " ORDER BY rowid";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        std::string problem = std::string("cannot read ") + table + ": " + sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        return problem;
    }
    std::string problem;
    size_t row = 0;
    while (problem.empty() && sqlite3_step(statement) == SQLITE_ROW) {
        if (row >= expected.size()) {
            problem = "more rows than the source: " + std::to_string(row + 1);
            break;
        }
        const Cell& want = expected[row];
        const double wanted[7] = {want.x, want.y, want.count, want.n, want.e, want.s, want.w};
        for (int i = 0; i < 7; ++i) {
            const double got = sqlite3_column_double(statement, i);
            if (got != wanted[i]) {
                char buffer[200];
                std::snprintf(buffer, sizeof buffer, "row %zu column %d: %.17g instead of %.17g",
                              row + 1, i + 1, got, wanted[i]);
                problem = buffer;
                break;
            }
        }
        ++row;
    }
    sqlite3_finalize(statement);
    if (problem.empty() && row != expected.size()) {
        problem = std::to_string(row) + " rows instead of " + std::to_string(expected.size());
    }
    return problem;
}

}  // namespace indexcheck
