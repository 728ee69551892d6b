#include "ui/TreeSetMaker.h"

#include "base/Text.h"
#include "data/PlotFile.h"

std::vector<wxString> TreeSetMaker::Needed(const PlotFile& plot,
                                           const std::vector<wxString>& trees) const {
    std::vector<wxString> needed;
    for (const wxString& tree : trees) {
        if (!plot.IsTreePrepared(tree) && failed.count(tree) == 0) {
            needed.push_back(tree);
        }
    }
    return needed;
}

bool TreeSetMaker::Start(const std::shared_ptr<PlotFile>& plot,
                         const std::vector<wxString>& trees) {
    const std::vector<wxString> needed = Needed(*plot, trees);
    if (needed.empty()) {
        return false;
    }
    std::weak_ptr<int> makerAlive = alive;
    runJob(
        ProgressMonitor(0.0, 0.0),
        [plot, needed](ProgressMonitor& monitor) {
            WorkerLockWait wait(plot->GetDatabase());
            try {
                monitor.SetMessage("Loading the uptake of %s...", Utf8(needed.front()).c_str());
                plot->PrepareTrees(needed);
            } catch (...) {
                // A build cut short must not leave its transaction holding the file.
                plot->GetDatabase().Rollback();
                throw;
            }
        },
        [this, makerAlive, plot, needed](const JobEnd& end) {
            if (!makerAlive.expired()) {
                done(Problems(*plot, needed, end));
            }
        });
    return true;
}

// A tree whose set could not be made is not remembered so by the plot: its
// layers, the legend and the readout all show it empty until it is tried again.
wxString TreeSetMaker::Problems(PlotFile& plot, const std::vector<wxString>& trees,
                                const JobEnd& end) {
    wxString problems;
    for (const wxString& tree : trees) {
        if (plot.IsTreePrepared(tree)) {
            continue;
        }
        failed.insert(tree);
        const wxString problem = plot.GetTreeProblem(tree);
        if (end.finished && !problem.empty()) {
            problems += problem + "\n";
        }
    }
    if (!end.finished) {
        problems = end.Describe("The index tables of the selected trees could not be built") + "\n";
    }
    return problems;
}
