#include "data/IndexCells.h"

#include <sqlite3.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <numeric>

#include "db/EngineScan.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

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

// The rows of a walk in row id order (the row id first), as long as each can
// be held: every column keeps the type of its first row's value, whichever
// comes first, holds a number within the bounds a float reads exactly, and
// the row ids rise.
class StoredRows {
  public:
    explicit StoredRows(int columns) : columns(columns) {}

    bool Read(const StoredValue* row, double* stored) {
        for (int i = 0; i < columns; ++i) {
            if (first) {
                types[i] = row[i].type;
            }
            if (row[i].type != types[i] || !StoredNumber(row[i], stored[i]) ||
                (row[i].type == SQLITE_INTEGER && std::fabs(stored[i]) > kExactFloatInteger) ||
                std::fabs(stored[i]) > FLT_MAX) {
                return false;
            }
        }
        if (!first && !(stored[0] > lastRowid)) {
            return false;
        }
        first = false;
        lastRowid = stored[0];
        return true;
    }
    int Type(int column) const { return types[column]; }

  private:
    static const int kMost = 8;
    int columns;
    int types[kMost] = {};
    bool first = true;
    double lastRowid = 0.0;
};

using RowTake = std::function<bool(const StoredValue* row)>;

// Hands every row of the walk to take, the values handed over inside
// SQLite's engine (see EngineScan); false when take refused one or the walk
// was cut short.
bool TakeInEngine(EngineScan& scan, int columns, const RowTake& take) {
    StoredValue row[8];
    bool held = true;
    auto part = [&](int first, int count, sqlite3_value** values) {
        for (int k = 0; k < count && first + k < columns; ++k) {
            row[first + k] = StoredValueOf(values[k]);
        }
    };
    return scan.Walk(part, [&] { held = held && take(row); }) && held;
}

// The same, each value fetched from the statement's rows.
bool TakeByStatement(Database& database, const std::string& sql, int columns, const RowTake& take) {
    Statement rows(database, sql.c_str());
    StoredValue row[8];
    while (rows.Step()) {
        for (int i = 0; i < columns; ++i) {
            row[i] = StoredValueAt(rows.Handle(), i);
        }
        if (!take(row)) {
            return false;
        }
    }
    return rows.Finished();  // false when the walk was cut short
}

// A cell's levels from its stored count and neighbours' values.
IndexCells::Levels LevelsFrom(double count, const double* around) {
    return IndexCells::Levels{
        static_cast<float>(around[0]), static_cast<float>(around[1]), static_cast<float>(around[2]),
        static_cast<float>(around[3]),
        count != around[0] || count != around[1] || count != around[2] || count != around[3]};
}

}  // namespace

// The positions and counts are read first, and the neighbours' values only
// when the level lines ask for them: a reopening whose map shows blocks
// needs no more.
std::unique_ptr<IndexCells> IndexCells::Load(Database& database, const std::string& table,
                                             const char* xColumn, const char* yColumn) {
    const std::string positions = SqlName(xColumn) + ", " + SqlName(yColumn) + ", count";
    const std::string from = " FROM " + SqlName(table) + " ORDER BY rowid";
    auto loaded = std::unique_ptr<IndexCells>(new IndexCells);
    std::vector<Cell>& cells = loaded->cells;
    // Within the bounds StoredRows keeps, a query's row reads each value as its float.
    auto cellOf = [](const double* stored) {
        return Cell{stored[1], stored[2], static_cast<float>(stored[3]), stored[3] > 0.0};
    };
    // A table that lacks a column the level lines read is read by the
    // queries, which say so; told quietly here.
    EngineScan whole(database, "SELECT rowid AS row_id, " + positions + ", n, e, s, w" + from);
    StoredRows rows(whole.IsUsable() ? 4 : 8);
    bool taken = false;
    if (whole.IsUsable()) {
        loaded->Reserve(database, table);
        EngineScan scan(database, "SELECT rowid AS row_id, " + positions + from);
        taken = scan.IsUsable() && TakeInEngine(scan, 4, [&](const StoredValue* row) {
                    double stored[4] = {};
                    return rows.Read(row, stored) && (cells.push_back(cellOf(stored)), true);
                });
    } else {
        taken = TakeByStatement(database, "SELECT rowid, " + positions + ", n, e, s, w" + from, 8,
                                [&](const StoredValue* row) {
                                    double stored[8] = {};
                                    if (!rows.Read(row, stored)) {
                                        return false;
                                    }
                                    cells.push_back(cellOf(stored));
                                    loaded->levels.push_back(LevelsFrom(stored[3], stored + 4));
                                    return true;
                                });
    }
    if (!taken) {
        return nullptr;
    }
    loaded->xKind = rows.Type(1) == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->yKind = rows.Type(2) == SQLITE_INTEGER ? CellInteger : CellReal;
    loaded->OrderByY();
    loaded->NoteNonZero();
    loaded->NoteDiffering();
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

bool IndexCells::HoldLevels(Database& database, const std::string& table) {
    if (levels.size() == cells.size()) {
        return true;
    }
    if (levelsTried) {
        return false;
    }
    levelsTried = true;
    const std::string sql = " count, n, e, s, w FROM " + SqlName(table) + " ORDER BY rowid";
    std::vector<Levels> read;
    read.reserve(cells.size());
    StoredRows rows(6);
    auto take = [&](const StoredValue* row) {
        double stored[6] = {};
        return read.size() < cells.size() && rows.Read(row, stored) &&
               (read.push_back(LevelsFrom(stored[1], stored + 2)), true);
    };
    EngineScan scan(database, "SELECT rowid AS row_id," + sql);
    const bool taken = scan.IsUsable() ? TakeInEngine(scan, 6, take)
                                       : TakeByStatement(database, "SELECT rowid," + sql, 6, take);
    if (!taken || read.size() != cells.size()) {
        return false;
    }
    if (rowOrder.empty()) {
        levels = std::move(read);
    } else {
        levels.resize(cells.size());
        for (size_t at = 0; at < cells.size(); ++at) {
            levels[at] = read[rowOrder[at]];
        }
    }
    NoteDiffering();
    return true;
}

std::unique_ptr<IndexCells> IndexCells::FromCells(std::vector<Cell> cells,
                                                  std::vector<Levels> levels) {
    auto held = std::unique_ptr<IndexCells>(new IndexCells);
    held->cells = std::move(cells);
    held->levels = std::move(levels);
    held->xKind = CellReal;
    held->yKind = CellReal;
    held->OrderByY();
    held->NoteNonZero();
    held->NoteDiffering();
    return held;
}

// The y index orders by y, then by row id.
void IndexCells::OrderByY() {
    auto byY = [](const Cell& a, const Cell& b) { return a.y < b.y; };
    if (std::is_sorted(cells.begin(), cells.end(), byY)) {
        return;
    }
    std::vector<uint32_t> order(cells.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return cells[a].y < cells[b].y; });
    std::vector<Cell> sorted;
    sorted.reserve(cells.size());
    for (uint32_t at : order) {
        sorted.push_back(cells[at]);
    }
    cells = std::move(sorted);
    if (!levels.empty()) {
        std::vector<Levels> moved;
        moved.reserve(levels.size());
        for (uint32_t at : order) {
            moved.push_back(levels[at]);
        }
        levels = std::move(moved);
    }
    rowOrder = std::move(order);
}

double IndexCells::ReadX(const Cell& cell) const {
    return xKind == CellInteger ? static_cast<double>(static_cast<int>(cell.x))
                                : static_cast<float>(cell.x);
}

double IndexCells::ReadY(const Cell& cell) const {
    return yKind == CellInteger ? static_cast<double>(static_cast<int>(cell.y))
                                : static_cast<float>(cell.y);
}

namespace {

// A list longer than this share of the cells spares a walk too little for
// its memory.
const size_t kShortListShare = 4;

// The places at which keep holds, in order; false, the list left empty,
// when they are too many to be worth keeping.
template <class Keep>
bool ShortList(size_t size, Keep keep, std::vector<uint32_t>& list) {
    list.clear();
    size_t count = 0;
    for (size_t at = 0; at < size; ++at) {
        count += keep(at) ? 1 : 0;
    }
    if (count > size / kShortListShare) {
        return false;
    }
    list.reserve(count);
    for (size_t at = 0; at < size; ++at) {
        if (keep(at)) {
            list.push_back(static_cast<uint32_t>(at));
        }
    }
    return true;
}

}  // namespace

// A count that reads as 0 is what a walk leaving out zeros passes over; a
// positive stored count that reads as 0 is kept, for the positive walks.
void IndexCells::NoteNonZero() {
    nonZeroKept = ShortList(
        cells.size(), [this](size_t at) { return cells[at].positive || cells[at].count != 0.0f; },
        nonZero);
}

void IndexCells::NoteDiffering() {
    differingKept = levels.size() == cells.size() &&
                    ShortList(
                        cells.size(), [this](size_t at) { return levels[at].differs; }, differing);
}

const std::vector<uint32_t>* IndexCells::ListFor(const ViewFilter& view, bool levelsOnly) const {
    if (levelsOnly) {
        return differingKept ? &differing : nullptr;
    }
    const bool zerosLeftOut = view.kind == ViewFilter::InsidePositive || view.zerosUnused;
    return zerosLeftOut && nonZeroKept ? &nonZero : nullptr;
}

void IndexCells::Select(const ViewFilter& view, bool levelsOnly,
                        std::vector<const Cell*>& selected) const {
    selected.clear();
    for (Walk walk = FirstOf(view, levelsOnly); walk.cell; Next(walk, view, levelsOnly)) {
        selected.push_back(walk.cell);
    }
}

// The rows of the index range, then the other terms of the query row by
// row; a short list visits only the cells that can pass them, in order.
IndexCells::Walk IndexCells::FirstOf(const ViewFilter& view, bool levelsOnly) const {
    // Strictly inside, and with a positive count, or edges included.
    const bool strict = view.kind == ViewFilter::InsidePositive;
    const auto before = [&](const Cell& c) { return strict ? c.y <= view.yMin : c.y < view.yMin; };
    Walk walk;
    if (const std::vector<uint32_t>* list = ListFor(view, levelsOnly)) {
        walk.next = static_cast<size_t>(
            std::partition_point(list->begin(), list->end(),
                                 [&](uint32_t at) { return before(cells[at]); }) -
            list->begin());
    } else {
        walk.next = static_cast<size_t>(std::partition_point(cells.begin(), cells.end(), before) -
                                        cells.begin());
    }
    Next(walk, view, levelsOnly);
    return walk;
}

void IndexCells::Next(Walk& walk, const ViewFilter& view, bool levelsOnly) const {
    const bool strict = view.kind == ViewFilter::InsidePositive;
    const std::vector<uint32_t>* list = ListFor(view, levelsOnly);
    const size_t end = list ? list->size() : cells.size();
    walk.cell = nullptr;
    for (; walk.next < end; ++walk.next) {
        const Cell& cell = At(list, walk.next);
        if (strict ? !(cell.y < view.yMax) : !(cell.y <= view.yMax)) {
            walk.next = end;
            return;
        }
        const bool inX = strict ? cell.x > view.xMin && cell.x < view.xMax
                                : cell.x >= view.xMin && cell.x <= view.xMax;
        if (!inX || (strict && !cell.positive) || (levelsOnly && !LevelsOf(cell).differs)) {
            continue;
        }
        walk.cell = &cell;
        ++walk.next;
        return;
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
