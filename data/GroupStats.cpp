#include "data/GroupStats.h"

#include "data/GridValues.h"
#include "data/TreeStats.h"

namespace {

// What the pass adds up for one group; long double keeps sums over a
// million cells exact to the nine digits that are written.
struct GroupSums {
    long double uptake = 0.0L;
    long double sharedUptake = 0.0L;
    long long cells = 0;
    long long sharedCells = 0;
};

class GroupGatherer {
  public:
    GroupGatherer(const TreeGroups& groups, bool overlap)
        : groupOf(groups.groupOfTree), sums(groups.names.size()), inCell(groups.names.size()) {
        if (overlap) {
            sharedCells.assign(sums.size(), std::vector<long long>(sums.size(), 0));
        }
    }

    void AddRow(const std::vector<double>& values) {
        present.clear();
        for (size_t tree = 0; tree < values.size() && tree < groupOf.size(); ++tree) {
            const double value = values[tree];
            if (!(value > 0)) {
                continue;
            }
            total += value;
            const size_t group = size_t(groupOf[tree]);
            if (inCell[group] == 0.0L) {
                present.push_back(group);
            }
            inCell[group] += value;
        }
        for (size_t group : present) {
            GroupSums& sum = sums[group];
            sum.cells += 1;
            sum.uptake += inCell[group];
            if (present.size() > 1) {
                sum.sharedCells += 1;
                sum.sharedUptake += inCell[group];
            }
        }
        if (!sharedCells.empty()) {
            for (size_t a : present) {
                for (size_t b : present) {
                    ++sharedCells[a][b];
                }
            }
        }
        for (size_t group : present) {
            inCell[group] = 0.0L;
        }
    }

    const std::vector<GroupSums>& Sums() const { return sums; }
    long double Total() const { return total; }
    std::vector<std::vector<long long>>& SharedCells() { return sharedCells; }

  private:
    const std::vector<int>& groupOf;
    std::vector<GroupSums> sums;
    std::vector<long double> inCell;  // each group's uptake in the row, while it is read
    std::vector<size_t> present;      // the groups taking up in the row
    long double total = 0.0L;
    std::vector<std::vector<long long>> sharedCells;
};

}  // namespace

bool GatherGroupStats(Database database, const TreeGroups& groups,
                      const std::optional<double>& cellSize, bool overlap, GroupStatsTable& table,
                      std::string& error, ProgressMonitor* monitor) {
    if (monitor) {
        monitor->SetMessage("Computing the statistics of the groups. Please be patient...");
    }
    GridValues grid(database);
    if (grid.TreeNames() != groups.trees) {
        error = "the grid's trees are not those the groups were made of";
        return false;
    }
    GroupGatherer gatherer(groups, overlap);
    if (!grid.ReadAll([&gatherer](double, double,
                                  const std::vector<double>& values) { gatherer.AddRow(values); },
                      error)) {
        return false;
    }
    table = GroupStatsTable();
    table.column = groups.column;
    table.cellSize = cellSize ? *cellSize : GridCellSize(database);
    const double cellArea = table.cellSize * table.cellSize;
    for (size_t i = 0; i < groups.names.size(); ++i) {
        const GroupSums& sums = gatherer.Sums()[i];
        GroupStats group;
        group.group = groups.names[i];
        group.trees = groups.TreeCount(int(i));
        group.uptake = static_cast<double>(sums.uptake);
        group.cells = sums.cells;
        group.area = static_cast<double>(sums.cells) * cellArea;
        if (gatherer.Total() != 0.0L) {
            group.share = static_cast<double>(sums.uptake / gatherer.Total());
        }
        group.sharedArea = static_cast<double>(sums.sharedCells) * cellArea;
        group.sharedUptake = static_cast<double>(sums.sharedUptake);
        table.groups.push_back(group);
    }
    table.sharedCells = std::move(gatherer.SharedCells());
    return true;
}
