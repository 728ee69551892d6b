#include "data/GridMix.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/HugePages.h"
#include "db/EngineScan.h"
#include "db/Row.h"
#include "db/Statement.h"
#include "db/TableHalves.h"

namespace {

const char* const kGridRows = "SELECT * FROM grid";
constexpr int kFirstTreeColumn = 3;

// One row's values as they are read, and what the row adds to the mix.
class MixRow {
  public:
    MixRow(const GridMixRequest& request, size_t trees, GridMix& mix)
        : request(request), mix(mix), groupOf(trees, -1) {
        const size_t groups = request.groups ? request.groups->names.size() : 0;
        if (request.groups) {
            for (size_t tree = 0; tree < trees && tree < request.groups->groupOfTree.size();
                 ++tree) {
                groupOf[tree] = request.groups->groupOfTree[tree];
            }
        }
        taken.assign(groups, 0.0);
        sums.assign(groups, 0.0);
        touched.assign(groups, false);
        slotOf.assign(groups, -1);
        for (size_t slot = 0; slot < request.groupSums.size(); ++slot) {
            slotOf[size_t(request.groupSums[slot])] = int(slot);
        }
        mix.groupSums.assign(request.groupSums.size(), {});
    }

    void Start(double rowX, double rowY) {
        x = rowX;
        y = rowY;
        best = -1;
        bestValue = 0.0;
        total = 0.0;
    }

    // The trees' values, in column order.
    void Add(size_t tree, double value) {
        if (value > 0.0) {
            total += value;
            if (value > bestValue) {
                bestValue = value;
                best = int(tree);
            }
        }
        const int group = groupOf[tree];
        if (group >= 0 && value != 0.0) {
            taken[size_t(group)] += value > 0.0 ? value : 0.0;
            sums[size_t(group)] += value;
            touched[size_t(group)] = true;
        }
    }

    void End() {
        if (request.dominantTrees && best >= 0) {
            PushHuge(mix.dominantTrees, Cell(bestValue / total, best));
        }
        int bestGroup = -1;
        for (size_t group = 0; group < touched.size(); ++group) {
            if (!touched[group]) {
                continue;
            }
            if (taken[group] > 0.0 && (bestGroup < 0 || taken[group] > taken[size_t(bestGroup)])) {
                bestGroup = int(group);
            }
            if (slotOf[group] >= 0) {
                PushHuge(mix.groupSums[size_t(slotOf[group])], Cell(sums[group], int(group)));
            }
        }
        if (request.dominantGroups && bestGroup >= 0) {
            PushHuge(mix.dominantGroups, Cell(taken[size_t(bestGroup)] / total, bestGroup));
        }
        for (size_t group = 0; group < touched.size(); ++group) {
            if (touched[group]) {
                taken[group] = sums[group] = 0.0;
                touched[group] = false;
            }
        }
    }

  private:
    HeldGridData::Cell Cell(double value, int tag) const {
        return HeldGridData::Cell{x, y, static_cast<float>(value), static_cast<uint16_t>(tag)};
    }

    const GridMixRequest& request;
    GridMix& mix;
    std::vector<int> groupOf;  // each tree's group, -1 without a grouping
    std::vector<int> slotOf;   // each group's place among the sums asked for, or -1
    std::vector<double> taken;
    std::vector<double> sums;
    std::vector<bool> touched;
    double x = 0.0;
    double y = 0.0;
    int best = -1;
    double bestValue = 0.0;
    double total = 0.0;
};

// Reads the values of a row's columns as they come, each with the kind its
// column took from the first row.
class ColumnReader {
  public:
    // kinds: the columns' kinds when the first row read is not grid's first.
    ColumnReader(MixRow& row, int xAt, int yAt, std::vector<int> kinds)
        : row(row), xAt(xAt), yAt(yAt), kinds(std::move(kinds)), firstRow(this->kinds.empty()) {}

    void Value(int column, sqlite3_value* stored) {
        if (firstRow) {
            kinds.resize(size_t(column) + 1, 0);
            kinds[size_t(column)] = KindOfType(sqlite3_value_type(stored));
        }
        const double number = ReadDouble(stored, kinds[size_t(column)]);
        if (column == xAt) {
            x = number;
        } else if (column == yAt) {
            y = number;
        }
        if (column >= kFirstTreeColumn) {
            if (!started) {
                row.Start(x, y);
                started = true;
            }
            row.Add(size_t(column - kFirstTreeColumn), number);
        }
    }

    void RowEnd() {
        if (!started) {
            row.Start(x, y);
        }
        row.End();
        firstRow = false;
        started = false;
    }

  private:
    MixRow& row;
    int xAt;
    int yAt;
    std::vector<int> kinds;
    bool firstRow;
    bool started = false;
    double x = 0.0;
    double y = 0.0;
};

// The kinds of grid's first row, which every row's values are read as.
std::vector<int> FirstRowKinds(Database database) {
    Statement first(database, "SELECT * FROM grid LIMIT 1");
    std::vector<int> kinds;
    if (first.Step()) {
        for (int i = 0; i < sqlite3_column_count(first.Handle()); ++i) {
            kinds.push_back(KindOfType(sqlite3_column_type(first.Handle(), i)));
        }
    }
    return kinds;
}

bool ReadMixRows(Database database, const RowsPart& rows, const GridMixRequest& request,
                 size_t trees, int xAt, int yAt, GridMix& mix) {
    const std::string sql = rows.where.empty() ? std::string(kGridRows)
                                               : std::string(kGridRows) + " WHERE " + rows.where;
    MixRow row(request, trees, mix);
    ColumnReader reader(row, xAt, yAt,
                        rows.half == 0 ? std::vector<int>() : FirstRowKinds(database));
    EngineScan engine(database, sql);
    if (engine.IsUsable()) {
        return engine.Walk(
            [&reader](int first, int count, sqlite3_value** values) {
                for (int k = 0; k < count; ++k) {
                    reader.Value(first + k, values[k]);
                }
            },
            [&reader] { reader.RowEnd(); });
    }
    // Names SQLite cannot tell apart: each value fetched from the statement.
    Statement statement(database, sql.c_str());
    const int columns = sqlite3_column_count(statement.Handle());
    while (statement.Step()) {
        for (int i = 0; i < columns; ++i) {
            reader.Value(i, sqlite3_column_value(statement.Handle(), i));
        }
        reader.RowEnd();
    }
    return statement.Finished();
}

void Append(std::vector<HeldGridData::Cell>& cells, const std::vector<HeldGridData::Cell>& more) {
    cells.insert(cells.end(), more.begin(), more.end());
}

}  // namespace

bool ReadGridMix(Database database, const GridMixRequest& request, GridMix& mix, std::string& error,
                 ProgressMonitor* monitor) {
    if (monitor) {
        monitor->SetMessage("Finding what each tree takes up in each cell...");
    }
    int columns = 0;
    int xAt = -1;
    int yAt = -1;
    {
        Statement names(database, kGridRows);
        sqlite3_stmt* handle = names.Handle();
        columns = handle ? sqlite3_column_count(handle) : 0;
        for (int i = 0; i < columns; ++i) {
            const std::string name = ResultColumnName(handle, i);
            xAt = name == "x_coord" ? i : xAt;
            yAt = name == "y_coord" ? i : yAt;
        }
    }
    mix = GridMix();
    // Without a tree column there is nothing to find, wherever the cells lie.
    if (columns <= kFirstTreeColumn) {
        mix.groupSums.assign(request.groupSums.size(), {});
        return true;
    }
    // The positions come first: a tree's value is handed on with its row's place.
    if (xAt < 0 || yAt < 0 || xAt >= kFirstTreeColumn || yAt >= kFirstTreeColumn) {
        error = "the grid table has no x_coord and y_coord among its first three columns";
        return false;
    }
    const size_t trees = size_t(columns - kFirstTreeColumn);
    GridMix halves[2];
    const bool read = WalkInHalves(
        database, "grid", request.fewestRowsToSplit, [&](Database part, const RowsPart& rows) {
            halves[rows.half] = GridMix();
            return ReadMixRows(part, rows, request, trees, xAt, yAt, halves[rows.half]);
        });
    if (!read) {
        error = "the grid table could not be read to its end";
        return false;
    }
    mix = std::move(halves[0]);
    Append(mix.dominantTrees, halves[1].dominantTrees);
    Append(mix.dominantGroups, halves[1].dominantGroups);
    for (size_t i = 0; i < mix.groupSums.size() && i < halves[1].groupSums.size(); ++i) {
        Append(mix.groupSums[i], halves[1].groupSums[i]);
    }
    return true;
}
