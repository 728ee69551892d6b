// The statistics of the session's plot: computed at once on a small plot,
// on the worker through a handle of its own on a large one.
#include <limits>

#include "base/Text.h"
#include "cli/StatsCommand.h"
#include "ui/PlotSession.h"

namespace {

// Below this many values a pass takes a moment, too short for a progress window.
double statsWorkerThreshold = 500000.0;

// The values one pass reads: the grid's cells, as its extent and cell size
// give them, times its trees.
double PlotValues(PlotFile& plot) {
    const RootData* root = plot.GetRootData();
    const GridData* grid = plot.GetNeighborGrid();
    if (!root || !grid || !root->HasCells()) {
        return 0.0;
    }
    const double cell = grid->GetCellSize();
    if (!(cell > 0.0)) {
        return std::numeric_limits<double>::infinity();
    }
    const double columns = (root->GetXMax() - root->GetXMin()) / cell + 1;
    const double rows = (root->GetYMax() - root->GetYMin()) / cell + 1;
    return columns * rows * root->GetTreeCount();
}

}  // namespace

void PlotSession::SetStatsWorkerThreshold(double values) {
    statsWorkerThreshold = values;
}

void PlotSession::RunStatsPass(StatsPass pass,
                               std::function<void(bool, const std::string&)> finish) {
    if (PlotValues(*plot) <= statsWorkerThreshold) {
        std::string error;
        const bool gathered = pass(plot->GetDatabase(), error, nullptr);
        finish(gathered, error);
        return;
    }
    const std::string path = Utf8(plot->GetPath());
    auto error = std::make_shared<std::string>();
    auto gathered = std::make_shared<bool>(false);
    hooks.runJob(
        ProgressMonitor(0.0, 0.0),
        [path, pass, error, gathered](ProgressMonitor& monitor) {
            Database database = Database::OpenForReading(path.c_str());
            *gathered = pass(database, *error, &monitor);
        },
        [error, gathered, finish](const JobEnd& end) {
            if (!end.finished) {
                *error = end.cause;
            }
            finish(*gathered, *error);
        });
}

// Computed once per open file and kept with it, so that it may run beside
// other work on the worker.
void PlotSession::ComputeTreeStats(StatsDone done) {
    if (!plot) {
        done(nullptr, std::string());
        return;
    }
    if (std::shared_ptr<const TreeStatsTable> kept = plot->GetTreeStats()) {
        done(kept, std::string());
        return;
    }
    const TreeStatsRequest request = StatsRequestFor(*plot, {}, false);
    std::shared_ptr<PlotFile> file = plot;
    auto computed = std::make_shared<TreeStatsTable>();
    RunStatsPass(
        [request, computed](Database database, std::string& error, ProgressMonitor* monitor) {
            return GatherTreeStats(database, request, *computed, error, monitor);
        },
        [file, computed, done](bool gathered, const std::string& error) {
            if (gathered) {
                file->KeepTreeStats(computed);
            }
            done(gathered ? computed : nullptr, error);
        });
}

// The grouping is copied, so that a new one chosen meanwhile changes nothing here.
void PlotSession::ComputeGroupStats(GroupStatsDone done) {
    const TreeGroups* grouping = plot ? plot->GetTreeGroups() : nullptr;
    if (!grouping) {
        done(nullptr, std::string());
        return;
    }
    const TreeGroups groups = *grouping;
    const std::optional<double> cellSize = PlotCellSize(*plot);
    auto computed = std::make_shared<GroupStatsTable>();
    RunStatsPass(
        [groups, cellSize, computed](Database database, std::string& error,
                                     ProgressMonitor* monitor) {
            return GatherGroupStats(database, groups, cellSize, false, *computed, error, monitor);
        },
        [computed, done](bool gathered, const std::string& error) {
            done(gathered ? computed : nullptr, error);
        });
}
