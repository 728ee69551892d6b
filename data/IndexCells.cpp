#include "data/IndexCells.h"

#include <sqlite3.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "db/EngineScan.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

enum { kRowid, kX, kY, kCount, kN, kE, kS, kW, kColumns };

// The exact stored number, for comparisons; false for anything but a number
// that a double holds exactly.
bool StoredNumber(const StoredValue& stored, double& value) {
    if (stored.type == SQLITE_FLOAT) {
        value = stored.real;
        return true;
    }
    if (stored.type == SQLITE_INTEGER) {
        value = static_cast<double>(stored.integer);
        return std::fabs(value) < 9007199254740992.0;
    }
    return false;
}

// Values above this do not keep their integer reading in single precision.
const double kExactFloatInteger = 16777216.0;

// Takes the table's rows one by one, in row id order, while each can be held.
class RowTaker {
  public:
    explicit RowTaker(std::vector<IndexCells::Cell>& cells) : cells(cells) {}

    // False when the row cannot be held: every row must read with the types
    // of the first, whichever comes first, and its row id must follow the last.
    bool Take(const StoredValue* row) {
        double stored[kColumns];
        for (int i = 0; i < kColumns; ++i) {
            if (cells.empty()) {
                types[i] = row[i].type;
            }
            if (row[i].type != types[i] || !StoredNumber(row[i], stored[i]) ||
                (row[i].type == SQLITE_INTEGER && std::fabs(stored[i]) > kExactFloatInteger) ||
                std::fabs(stored[i]) > FLT_MAX) {
                return false;
            }
        }
        if (!cells.empty() && !(stored[kRowid] > lastRowid)) {
            return false;
        }
        lastRowid = stored[kRowid];
        // Within those bounds a query's row reads each value as its float.
        auto read = [&](int i) { return static_cast<float>(stored[i]); };
        const double c = stored[kCount];
        cells.push_back(IndexCells::Cell{
            stored[kX], stored[kY], read(kCount), read(kN), read(kE), read(kS), read(kW), c > 0.0,
            c != stored[kN] || c != stored[kE] || c != stored[kS] || c != stored[kW]});
        return true;
    }
    int Type(int column) const { return types[column]; }

  private:
    std::vector<IndexCells::Cell>& cells;
    int types[kColumns] = {};
    double lastRowid = 0.0;
};

// The rows handed over inside SQLite's engine (see EngineScan); false when
// they cannot be held, or cannot be walked that way (walked then tells).
bool TakeInEngine(EngineScan& scan, RowTaker& taker, bool& walked) {
    walked = scan.IsUsable() && scan.ColumnCount() == kColumns;
    StoredValue row[kColumns];
    bool held = true;
    auto part = [&](int first, int count, sqlite3_value** values) {
        for (int k = 0; k < count && first + k < kColumns; ++k) {
            row[first + k] = StoredValueOf(values[k]);
        }
    };
    return walked && scan.Walk(part, [&] { held = held && taker.Take(row); }) && held;
}

}  // namespace

std::unique_ptr<IndexCells> IndexCells::Load(Database& database, const std::string& table,
                                             const char* xColumn, const char* yColumn) {
    const std::string values = SqlName(xColumn) + ", " + SqlName(yColumn) +
                               ", count, n, e, s, w FROM " + SqlName(table) + " ORDER BY rowid";
    auto loaded = std::unique_ptr<IndexCells>(new IndexCells);
    RowTaker taker(loaded->cells);
    EngineScan scan(database, "SELECT rowid AS row_id, " + values);
    bool walked = false;
    if (scan.IsUsable()) {
        loaded->Reserve(database, table);
    }
    if (!TakeInEngine(scan, taker, walked)) {
        if (walked) {
            return nullptr;
        }
        Statement rows(database, ("SELECT rowid, " + values).c_str());
        StoredValue row[kColumns];
        while (rows.Step()) {
            for (int i = 0; i < kColumns; ++i) {
                row[i] = StoredValueAt(rows.Handle(), i);
            }
            if (!taker.Take(row)) {
                return nullptr;
            }
        }
        if (!rows.Finished()) {
            return nullptr;  // the walk was cut short
        }
    }
    loaded->xKind = taker.Type(kX) == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->yKind = taker.Type(kY) == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->OrderByY();
    return loaded;
}

// Room for every row at once, so that a table of millions of rows is not
// copied again and again as it is read.
void IndexCells::Reserve(Database& database, const std::string& table) {
    const long long kMostReserved = 1LL << 27;
    Statement last(database, ("SELECT max(rowid) FROM " + SqlName(table)).c_str());
    if (last.Step()) {
        const long long rows = sqlite3_column_int64(last.Handle(), 0);
        if (rows > 0 && rows <= kMostReserved) {
            cells.reserve(static_cast<size_t>(rows));
        }
    }
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
