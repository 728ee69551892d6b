#include "ui/BackgroundJob.h"

#include <atomic>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>

#include "base/Dispatcher.h"
#include "base/Log.h"
#include "db/Connection.h"
#include "ui/ProgressWindow.h"

namespace {

std::atomic<bool> throwInJobs{false};

const char* const kTryAgain = "Close some programs and try again.";

struct Job {
    ProgressMonitor monitor{0.0, 0.0};
    std::function<void(ProgressMonitor&)> work;
    std::function<void(const JobEnd&)> done;
    JobEnd end;
    wxWeakRef<ProgressWindow> progress;
};

JobEnd Failed(std::string cause, std::string remedy) {
    JobEnd end;
    end.finished = false;
    end.cause = std::move(cause);
    end.remedy = std::move(remedy);
    return end;
}

int Finish(void* argument) {
    std::unique_ptr<Job> job(static_cast<Job*>(argument));
    // The progress window goes first, so that a message shown next is not
    // hidden behind it and every window takes input again.
    if (job->progress) {
        job->progress->CloseFinished();
    }
    if (!job->end.finished) {
        Log(LOG_ERROR, "Work on a worker thread did not end: %s.", job->end.cause.c_str());
    }
    job->done(job->end);
    return 0;
}

// Nothing may escape: the window waits for this job's end.
int Work(void* argument) {
    Job* job = static_cast<Job*>(argument);
    try {
        if (throwInJobs) {
            throw std::runtime_error("a fault made by a test");
        }
        job->work(job->monitor);
    } catch (const std::bad_alloc&) {
        job->end = Failed("there was not enough memory for it", kTryAgain);
    } catch (const std::exception& error) {
        job->end = Failed(std::string("it stopped with an unexpected error (") + error.what() + ")",
                          "Please try again.");
    } catch (...) {
        job->end = Failed("it stopped with an unexpected error", "Please try again.");
    }
    job->monitor.SetState(ProgressMonitor::Finished);
    PostToMainThread(Finish, job);
    return 0;
}

}  // namespace

WorkerLockWait::WorkerLockWait(Database database) : database(database) {
    this->database.SetLockWait(Connection::LockWait());
}

WorkerLockWait::~WorkerLockWait() {
    database.SetLockWait(kWindowLockWait);
}

wxString JobEnd::Describe(const wxString& what) const {
    return what + " because " + wxString::FromUTF8(cause.c_str()) + ". " +
           wxString::FromUTF8(remedy.c_str());
}

void RunBehindProgress(wxWindow* parent, ProgressMonitor monitor,
                       std::function<void(ProgressMonitor&)> work,
                       std::function<void(const JobEnd&)> done) {
    Job* job = new Job;
    job->monitor = monitor;
    job->work = std::move(work);
    job->done = std::move(done);
    job->progress = ShowPulsingProgress(parent, job->monitor);
    if (!StartThread(Work, job)) {
        job->end = Failed("no worker thread could be started for it", kTryAgain);
        job->monitor.SetState(ProgressMonitor::Finished);
        // Handed back as a finished worker would, after the caller has returned.
        PostToMainThread(Finish, job);
    }
}

void ThrowInJobsForTesting(bool fail) {
    throwInJobs = fail;
}
