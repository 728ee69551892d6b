#include "ui/DatabaseLoader.h"

#include "base/ProgressMonitor.h"
#include "data/PlotFile.h"

void DatabaseLoader::Start(const wxString& path, const std::vector<wxString>& trees) {
    const int opening = ++generation;
    ++pending;
    // The worker's result, kept by both halves of the job.
    auto plot = std::make_shared<std::unique_ptr<PlotFile>>();
    std::weak_ptr<int> loaderAlive = alive;
    RunBehindProgress(
        parent, ProgressMonitor(0.0, 0.0),
        [path, trees, plot](ProgressMonitor& monitor) {
            // The map is drawn from memory before the index tables are written.
            auto opened = std::make_unique<PlotFile>(path, monitor, LookupIndexes::TableLater);
            if (opened->GetOpening().IsOpen()) {
                opened->HoldCells();
                for (const wxString& tree : trees) {
                    opened->PrepareTree(tree);
                }
                opened->SetTreesMadeOnDemand(false);
                opened->GetDatabase().SetLockWait(kWindowLockWait);
            }
            *plot = std::move(opened);
        },
        [this, loaderAlive, opening, path, plot](const JobEnd& end) {
            // The window may have been closed while the worker ran.
            if (loaderAlive.expired()) {
                return;
            }
            --pending;
            // A later opening supersedes this one; its result alone counts.
            if (opening == generation) {
                done(path, std::move(*plot), end);
            }
        });
}
