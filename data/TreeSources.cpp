#include "data/TreeSources.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

#include "data/GridValues.h"
#include "db/Row.h"

namespace {

constexpr int kFirstTreeColumn = 3;
// The columns each tree's query selects before its value, in that order.
const char* const kLeadColumns[] = {"gridcell_id", "x_coord", "y_coord"};

// The kind a result column takes from the type of its first row's value.
int KindOfStored(int type) {
    return type == SQLITE_INTEGER ? CellInteger : type == SQLITE_FLOAT ? CellReal : CellText;
}

// Whether the tree's query keeps the row: its value read as a number is not
// 0 (NULL, and a number SQLite cannot hold, fail the comparison).
bool Kept(const StoredValue& value) {
    long long whole = 0;
    double real = 0.0;
    bool integer = false;
    if (!SqlNumberOf(value, whole, real, integer)) {
        return false;
    }
    return integer ? whole != 0 : !std::isnan(real) && real != 0.0;
}

// One position column of the current row, read once for each kind asked:
// a reading as text may convert the value inside the statement, so the
// other kinds are read before it.
class PositionReading {
  public:
    PositionReading(const Statement& row, int column, const StoredValue& stored)
        : row(row), column(column), stored(stored) {}
    double As(int kind) {
        const int slot = kind == CellInteger ? 0 : kind == CellReal ? 1 : 2;
        if (!done[slot]) {
            if (slot < 2 && done[2]) {
                // Never happens: text is read last (see ReadRow).
                return 0.0;
            }
            read[slot] = ReadDouble(row.Handle(), static_cast<unsigned>(column), kind, stored);
            done[slot] = true;
        }
        return read[slot];
    }

  private:
    const Statement& row;
    int column;
    const StoredValue& stored;
    bool done[3] = {false, false, false};
    double read[3] = {0.0, 0.0, 0.0};
};

// One tree's share of the pass.
struct TreeShare {
    int column;  // in grid
    bool keepCells;
    bool seen = false;
    int xKind = 0;
    int yKind = 0;
    int valueKind = 0;
    GatheredSource* out = nullptr;
};

class TreePass {
  public:
    TreePass(std::vector<TreeShare> shares) : shares(std::move(shares)) {}

    void ReadRow(const Statement& row, int xAt, int yAt) {
        const StoredValue x = StoredValueAt(row.Handle(), xAt);
        const StoredValue y = StoredValueAt(row.Handle(), yAt);
        PositionReading xRead(row, xAt, x);
        PositionReading yRead(row, yAt, y);
        kept.clear();
        for (TreeShare& share : shares) {
            const StoredValue value = StoredValueAt(row.Handle(), share.column);
            if (!Kept(value)) {
                continue;
            }
            if (!share.seen) {
                // The tree's query fixes its columns' kinds at its first row.
                share.seen = true;
                share.xKind = KindOfStored(x.type);
                share.yKind = KindOfStored(y.type);
                share.valueKind = KindOfStored(value.type);
                share.out->columnCount = 4;
            }
            share.out->x.Add(x);
            share.out->y.Add(y);
            if (share.keepCells) {
                const double v = ReadDouble(row.Handle(), static_cast<unsigned>(share.column),
                                            share.valueKind, value);
                share.out->cells.push_back(SourceCell{0.0, 0.0, v, v > 0.0 ? 1 : 0});
                kept.push_back(&share);
            }
        }
        // Positions as each tree reads them, text last.
        for (int kind : {CellInteger, CellReal, CellText}) {
            for (TreeShare* share : kept) {
                SourceCell& cell = share->out->cells.back();
                if (share->xKind == kind) {
                    cell.x = xRead.As(kind);
                }
                if (share->yKind == kind) {
                    cell.y = yRead.As(kind);
                }
            }
        }
    }

  private:
    std::vector<TreeShare> shares;
    std::vector<TreeShare*> kept;
};

}  // namespace

bool GatherTreeSources(Database database, const std::vector<std::string>& trees,
                       const std::set<std::string>& withCells,
                       std::map<std::string, GatheredSource>& gathered, std::string& error) {
    GridValues grid(database);
    const std::vector<std::string>& names = grid.TreeNames();
    // The trees' queries find their columns by name; positions read under
    // another spelling would not be those columns.
    {
        Statement probe(database, "SELECT * FROM grid");
        for (int i = 0; i < kFirstTreeColumn; ++i) {
            const int count = probe.Handle() ? sqlite3_column_count(probe.Handle()) : 0;
            if (i >= count || ResultColumnName(probe.Handle(), i) != kLeadColumns[i]) {
                error = std::string("the grid table has no column ") + kLeadColumns[i] +
                        " in its place";
                return false;
            }
        }
    }
    std::vector<TreeShare> shares;
    std::vector<std::string> read;
    std::map<std::string, GatheredSource> found;
    for (const std::string& tree : trees) {
        const bool column = std::find(names.begin(), names.end(), tree) != names.end();
        if (column && found.count(tree) == 0) {
            GatheredSource& out = found[tree];
            out.hasCells = withCells.count(tree) > 0;
            shares.push_back(TreeShare{int(read.size()) + kFirstTreeColumn, out.hasCells});
            shares.back().out = &out;
            read.push_back(tree);
        }
    }
    if (read.empty()) {
        return true;
    }
    TreePass pass(std::move(shares));
    if (!grid.ReadRows([&](const Statement& row) { pass.ReadRow(row, 1, 2); }, error, read)) {
        return false;
    }
    for (auto& entry : found) {
        gathered[entry.first] = std::move(entry.second);
    }
    return true;
}
