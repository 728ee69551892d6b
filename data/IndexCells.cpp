#include "data/IndexCells.h"

#include <sqlite3.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

enum { kRowid, kX, kY, kCount, kN, kE, kS, kW, kColumns };

// The exact stored number, for comparisons; false for anything but a number
// that a double holds exactly.
bool StoredNumber(sqlite3_stmt* row, int column, int type, double& value) {
    if (type == SQLITE_FLOAT) {
        value = sqlite3_column_double(row, column);
        return true;
    }
    if (type == SQLITE_INTEGER) {
        const sqlite3_int64 integer = sqlite3_column_int64(row, column);
        value = static_cast<double>(integer);
        return std::fabs(value) < 9007199254740992.0;
    }
    return false;
}

// Values above this do not keep their integer reading in single precision.
const double kExactFloatInteger = 16777216.0;

}  // namespace

std::unique_ptr<IndexCells> IndexCells::Load(Database& database, const std::string& table,
                                             const char* xColumn, const char* yColumn) {
    const std::string sql = "SELECT rowid, " + SqlName(xColumn) + ", " + SqlName(yColumn) +
                            ", count, n, e, s, w FROM " + SqlName(table) + " ORDER BY rowid";
    Statement rows(database, sql.c_str());
    auto loaded = std::unique_ptr<IndexCells>(new IndexCells);
    int types[kColumns] = {};
    while (rows.Step()) {
        sqlite3_stmt* row = rows.Handle();
        double stored[kColumns];
        for (int i = 0; i < kColumns; ++i) {
            const int type = sqlite3_column_type(row, i);
            // Every row must read with the types of the first, whichever comes first.
            if (loaded->cells.empty()) {
                types[i] = type;
            }
            if (type != types[i] || !StoredNumber(row, i, type, stored[i]) ||
                (type == SQLITE_INTEGER && std::fabs(stored[i]) > kExactFloatInteger) ||
                std::fabs(stored[i]) > FLT_MAX) {
                return nullptr;
            }
        }
        // Within those bounds a query's row reads each value as its float.
        auto read = [&](int i) { return static_cast<float>(stored[i]); };
        const double c = stored[kCount];
        loaded->cells.push_back(Cell{
            stored[kX], stored[kY], read(kCount), read(kN), read(kE), read(kS), read(kW), c > 0.0,
            c != stored[kN] || c != stored[kE] || c != stored[kS] || c != stored[kW]});
    }
    if (!rows.Finished()) {
        return nullptr;  // the walk was cut short
    }
    loaded->xKind = types[kX] == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->yKind = types[kY] == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->OrderByY();
    return loaded;
}

std::unique_ptr<IndexCells> IndexCells::FromCells(std::vector<Cell> cells) {
    auto held = std::unique_ptr<IndexCells>(new IndexCells);
    held->cells = std::move(cells);
    held->xKind = CellReal;
    held->yKind = CellReal;
    held->OrderByY();
    return held;
}

// The y index orders by y, then by row id.
void IndexCells::OrderByY() {
    auto byY = [](const Cell& a, const Cell& b) { return a.y < b.y; };
    if (!std::is_sorted(cells.begin(), cells.end(), byY)) {
        std::stable_sort(cells.begin(), cells.end(), byY);
    }
}

double IndexCells::ReadX(const Cell& cell) const {
    return xKind == CellInteger ? static_cast<double>(static_cast<int>(cell.x))
                                : static_cast<float>(cell.x);
}

double IndexCells::ReadY(const Cell& cell) const {
    return yKind == CellInteger ? static_cast<double>(static_cast<int>(cell.y))
                                : static_cast<float>(cell.y);
}

void IndexCells::Select(const ViewFilter& view, bool levelsOnly,
                        std::vector<const Cell*>& selected) const {
    selected.clear();
    // Strictly inside, and with a positive count, or edges included.
    const bool strict = view.kind == ViewFilter::InsidePositive;
    // The rows of the index range, then the other terms of the query row by row.
    auto first = std::partition_point(cells.begin(), cells.end(), [&](const Cell& c) {
        return strict ? c.y <= view.yMin : c.y < view.yMin;
    });
    for (auto it = first; it != cells.end(); ++it) {
        const Cell& cell = *it;
        if (strict ? !(cell.y < view.yMax) : !(cell.y <= view.yMax)) {
            break;
        }
        const bool inX = strict ? cell.x > view.xMin && cell.x < view.xMax
                                : cell.x >= view.xMin && cell.x <= view.xMax;
        if (!inX || (strict && !cell.positive) || (levelsOnly && !cell.levelDiffers)) {
            continue;
        }
        selected.push_back(&cell);
    }
}

// The query's terms, on the stored numbers: x <= px, x > px - 2 * size and
// x + size > px, the same for y; its outer bounds let the search visit the
// rows of two cell heights only.
const IndexCells::Cell* IndexCells::Holding(double x, double y, double cellSize) const {
    const double xLow = x - 2 * cellSize;
    const double yLow = y - 2 * cellSize;
    auto first = std::partition_point(cells.begin(), cells.end(),
                                      [&](const Cell& c) { return !(c.y > yLow); });
    const Cell* best = nullptr;
    for (auto it = first; it != cells.end() && it->y <= y; ++it) {
        const Cell& cell = *it;
        if (!(cell.y + cellSize > y) || !(cell.x <= x && cell.x > xLow && cell.x + cellSize > x)) {
            continue;
        }
        if (!best || cell.x > best->x || (cell.x == best->x && cell.y > best->y)) {
            best = &cell;
        }
    }
    return best;
}
