// Opens plot files on a worker thread behind a modal progress window and
// hands each result back on the main thread: only the newest opening's, and
// only while the loader (and whoever owns it) still exists.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>
#include <vector>

#include "base/FileIdentity.h"
#include "ui/BackgroundJob.h"

class PlotFile;

class DatabaseLoader {
  public:
    // The progress window has closed when done is called. plot is null when
    // the worker failed (end says why); identity is the file the path named
    // once it was open.
    using Done = std::function<void(const wxString& path, std::unique_ptr<PlotFile> plot,
                                    const FileIdentity& identity, const JobEnd& end)>;

    DatabaseLoader(JobRunner runJob, Done done)
        : runJob(std::move(runJob)), done(std::move(done)) {}
    DatabaseLoader(const DatabaseLoader&) = delete;
    DatabaseLoader& operator=(const DatabaseLoader&) = delete;

    // Besides opening the file, the worker reads its index tables into
    // memory and makes the given trees' sets, so that the window's thread
    // need not read them from the file; the plot comes back ready for that
    // thread (trees made only by PrepareTree, the window's short lock wait).
    void Start(const wxString& path, const std::vector<wxString>& trees = {});
    // Openings started and not yet handed back, superseded ones included.
    bool IsLoading() const { return pending > 0; }

  private:
    JobRunner runJob;
    Done done;
    int pending = 0;
    int generation = 0;
    // Lets a finished worker find out whether the loader still exists.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
