// Work that may wait for another program's lock runs here, never on the
// window's thread: on a worker thread behind the pulsing progress window, as
// an opening does. Its end comes back on the main thread once the progress
// window has closed, whether the work finished, threw, or its thread could
// not even start, so that the windows are always usable again.
#pragma once

#include <wx/string.h>

#include <chrono>
#include <functional>
#include <string>

#include "base/ProgressMonitor.h"
#include "db/Database.h"

class wxWindow;

// How long the window's thread waits for another program's lock on the open
// file before it leaves the read for later: short enough that the window
// never seems to stop. Work that must wait longer is a job.
constexpr std::chrono::milliseconds kWindowLockWait{50};

// Held by a job's work on the open file's handle: there it waits for other
// programs as long as any connection does, and for the window's thread
// briefly again once the work ends, however it ends.
class WorkerLockWait {
  public:
    explicit WorkerLockWait(Database database);
    ~WorkerLockWait();
    WorkerLockWait(const WorkerLockWait&) = delete;
    WorkerLockWait& operator=(const WorkerLockWait&) = delete;

  private:
    Database database;
};

// How a job ended.
struct JobEnd {
    bool finished = true;  // the work ran to its end
    std::string cause;     // else why not: "there was not enough memory for it"
    std::string remedy;    // and what the user can do about it

    // "<what> because <cause>. <remedy>"
    wxString Describe(const wxString& what) const;
};

// Runs work on a worker thread, which reports to the monitor that the
// progress window shows, then hands done its end on the main thread. done
// runs whatever happens; whoever it reports to checks that it still exists.
void RunBehindProgress(wxWindow* parent, ProgressMonitor monitor,
                       std::function<void(ProgressMonitor& monitor)> work,
                       std::function<void(const JobEnd& end)> done);

// RunBehindProgress over a window that whoever holds the runner need not know.
using JobRunner =
    std::function<void(ProgressMonitor monitor, std::function<void(ProgressMonitor& monitor)> work,
                       std::function<void(const JobEnd& end)> done)>;

// While set, every job's work throws before it begins: for tests of what
// the window does when a worker fails.
void ThrowInJobsForTesting(bool fail);
