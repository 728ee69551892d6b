#include "data/TreeStats.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "data/GridValues.h"
#include "db/Statement.h"

namespace {

struct StemAt {
    double x;
    double y;
};

// The first stem row of each label with a position; NULL is no position.
std::map<std::string, StemAt> ReadStemPositions(Database database) {
    std::map<std::string, StemAt> stems;
    Statement rows(database, "SELECT * FROM stem");
    int at[3] = {-1, -1, -1};
    for (bool first = true; rows.Step(); first = false) {
        if (first) {
            at[0] = rows.Find("Tree");
            at[1] = rows.Find("Xrot0");
            at[2] = rows.Find("Yrot0");
        }
        sqlite3_stmt* handle = rows.Handle();
        if (at[0] < 0 || at[1] < 0 || at[2] < 0 ||
            sqlite3_column_type(handle, at[1]) == SQLITE_NULL ||
            sqlite3_column_type(handle, at[2]) == SQLITE_NULL) {
            continue;
        }
        const unsigned char* label = sqlite3_column_text(handle, at[0]);
        stems.emplace(
            label ? reinterpret_cast<const char*>(label) : "",
            StemAt{sqlite3_column_double(handle, at[1]), sqlite3_column_double(handle, at[2])});
    }
    return stems;
}

// What the pass adds up for one listed tree; long double keeps sums over a
// million cells exact to the nine digits that are written.
struct Sums {
    int column = -1;  // its grid column, -1 for a stem without one
    std::optional<StemAt> stem;
    long double uptake = 0.0L;
    long double weightedX = 0.0L;
    long double weightedY = 0.0L;
    long double sharedUptake = 0.0L;
    long long cells = 0;
    long long sharedCells = 0;
    double farthest = 0.0;  // the squared distance of its farthest cell centre
};

class Gatherer {
  public:
    Gatherer(std::vector<Sums>& sums, double cellSize, bool overlap)
        : sums(sums), half(cellSize / 2), overlap(overlap) {
        if (overlap) {
            sharedCells.assign(sums.size(), std::vector<long long>(sums.size(), 0));
        }
    }

    void AddRow(double x, double y, const std::vector<double>& values) {
        int takers = 0;
        for (double value : values) {
            if (value > 0) {
                ++takers;
                total += value;
            }
        }
        const double cx = x + half;
        const double cy = y + half;
        present.clear();
        for (size_t i = 0; i < sums.size(); ++i) {
            Sums& tree = sums[i];
            const double value = tree.column >= 0 ? values[size_t(tree.column)] : 0.0;
            if (!(value > 0)) {
                continue;
            }
            tree.cells += 1;
            tree.uptake += value;
            tree.weightedX += static_cast<long double>(value) * cx;
            tree.weightedY += static_cast<long double>(value) * cy;
            if (takers > 1) {
                tree.sharedCells += 1;
                tree.sharedUptake += value;
            }
            if (tree.stem) {
                const double dx = cx - tree.stem->x;
                const double dy = cy - tree.stem->y;
                tree.farthest = std::max(tree.farthest, dx * dx + dy * dy);
            }
            present.push_back(i);
        }
        if (overlap) {
            for (size_t a : present) {
                for (size_t b : present) {
                    ++sharedCells[a][b];
                }
            }
        }
    }

    long double Total() const { return total; }
    std::vector<std::vector<long long>>& SharedCells() { return sharedCells; }

  private:
    std::vector<Sums>& sums;
    double half;
    bool overlap;
    long double total = 0.0L;
    std::vector<size_t> present;
    std::vector<std::vector<long long>> sharedCells;
};

TreeStats Finish(const std::string& label, const Sums& sums, long double total, double cellSize) {
    TreeStats tree;
    tree.tree = label;
    const double cellArea = cellSize * cellSize;
    if (sums.stem) {
        tree.stemX = sums.stem->x;
        tree.stemY = sums.stem->y;
    }
    tree.uptake = static_cast<double>(sums.uptake);
    tree.cells = sums.cells;
    tree.area = static_cast<double>(sums.cells) * cellArea;
    if (total != 0.0L) {
        tree.share = static_cast<double>(sums.uptake / total);
    }
    if (sums.cells > 0) {
        tree.centreX = static_cast<double>(sums.weightedX / sums.uptake);
        tree.centreY = static_cast<double>(sums.weightedY / sums.uptake);
        if (sums.stem) {
            tree.offset = std::hypot(*tree.centreX - sums.stem->x, *tree.centreY - sums.stem->y);
            tree.reach = std::sqrt(sums.farthest);
        }
    }
    tree.sharedArea = static_cast<double>(sums.sharedCells) * cellArea;
    tree.sharedUptake = static_cast<double>(sums.sharedUptake);
    return tree;
}

}  // namespace

double GridCellSize(Database database) {
    Statement rows(database, "SELECT DISTINCT x_coord FROM grid ORDER BY x_coord DESC LIMIT 2");
    std::vector<double> xs;
    while (rows.Step()) {
        xs.push_back(static_cast<float>(sqlite3_column_double(rows.Handle(), 0)));
    }
    return xs.size() == 2 ? xs[0] - xs[1] : 1.0;
}

bool GatherTreeStats(Database database, const TreeStatsRequest& request, TreeStatsTable& table,
                     std::string& error, ProgressMonitor* monitor) {
    if (monitor) {
        monitor->SetMessage("Computing the tree statistics. Please be patient...");
    }
    GridValues grid(database);
    const std::vector<std::string> columns =
        request.hasGrid ? grid.TreeNames() : std::vector<std::string>();
    const std::vector<std::string>& labels = request.trees.empty() ? columns : request.trees;
    const std::map<std::string, StemAt> stems =
        request.hasStems ? ReadStemPositions(database) : std::map<std::string, StemAt>();

    std::vector<Sums> sums(labels.size());
    for (size_t i = 0; i < labels.size(); ++i) {
        const auto column = std::find(columns.begin(), columns.end(), labels[i]);
        sums[i].column = column == columns.end() ? -1 : int(column - columns.begin());
        const auto stem = stems.find(labels[i]);
        if (stem != stems.end()) {
            sums[i].stem = stem->second;
        }
    }
    double cellSize = 1.0;
    if (request.hasGrid) {
        cellSize = request.cellSize ? *request.cellSize : GridCellSize(database);
    }
    Gatherer gatherer(sums, cellSize, request.overlap);
    if (request.hasGrid && !grid.ReadAll(
                               [&gatherer](double x, double y, const std::vector<double>& values) {
                                   gatherer.AddRow(x, y, values);
                               },
                               error)) {
        return false;
    }
    table.cellSize = cellSize;
    table.trees.clear();
    for (size_t i = 0; i < labels.size(); ++i) {
        table.trees.push_back(Finish(labels[i], sums[i], gatherer.Total(), cellSize));
    }
    table.sharedCells = std::move(gatherer.SharedCells());
    return true;
}
