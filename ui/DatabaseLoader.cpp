#include "ui/DatabaseLoader.h"

#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "data/PlotFile.h"

namespace {

// What the worker hands back.
struct Opened {
    std::unique_ptr<PlotFile> plot;
    FileIdentity identity;
};

}  // namespace

void DatabaseLoader::Start(const wxString& path, const std::vector<wxString>& trees) {
    const int opening = ++generation;
    ++pending;
    auto result = std::make_shared<Opened>();
    std::weak_ptr<int> loaderAlive = alive;
    runJob(
        ProgressMonitor(0.0, 0.0),
        [path, trees, result](ProgressMonitor& monitor) {
            // The map is drawn from memory before the index tables are written.
            auto opened = std::make_unique<PlotFile>(path, monitor, LookupIndexes::TableLater);
            // The file the open handle reads, as near its opening as can be told.
            result->identity = FileIdentity::Of(Utf8(path));
            if (opened->GetOpening().IsOpen()) {
                opened->HoldCells();
                for (const wxString& tree : trees) {
                    opened->PrepareTree(tree);
                }
                opened->SetTreesMadeOnDemand(false);
                opened->GetDatabase().SetLockWait(kWindowLockWait);
            }
            result->plot = std::move(opened);
        },
        [this, loaderAlive, opening, path, result](const JobEnd& end) {
            // Whoever owns the loader may have gone while the worker ran.
            if (loaderAlive.expired()) {
                return;
            }
            --pending;
            // A later opening supersedes this one; its result alone counts.
            if (opening == generation) {
                done(path, std::move(result->plot), result->identity, end);
            }
        });
}
