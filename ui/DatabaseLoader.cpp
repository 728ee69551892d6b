#include "ui/DatabaseLoader.h"

#include "base/Dispatcher.h"
#include "base/ProgressMonitor.h"
#include "data/PlotFile.h"
#include "ui/ProgressWindow.h"

// What the worker needs, and what it hands back to the main thread.
struct DatabaseLoader::Task {
    ProgressMonitor monitor{0.0, 0.0};
    wxString path;
    DatabaseLoader* loader = nullptr;
    std::weak_ptr<int> loaderAlive;
    int generation = 0;
    std::unique_ptr<PlotFile> plot;
    wxWeakRef<ProgressWindow> progress;
};

void DatabaseLoader::Start(const wxString& path) {
    Task* task = new Task;
    task->path = path;
    task->loader = this;
    task->loaderAlive = alive;
    task->generation = ++generation;
    ++pending;
    task->progress = ShowPulsingProgress(parent, task->monitor);
    StartThread(&DatabaseLoader::LoadStep, task);
}

int DatabaseLoader::LoadStep(void* argument) {
    Task* task = static_cast<Task*>(argument);
    task->plot.reset(new PlotFile(task->path, task->monitor));
    task->monitor.SetState(ProgressMonitor::Finished);
    PostToMainThread(&DatabaseLoader::Loaded, task);
    return 0;
}

int DatabaseLoader::Loaded(void* argument) {
    std::unique_ptr<Task> task(static_cast<Task*>(argument));
    // The window may have been closed while the worker ran.
    if (!task->loaderAlive.expired()) {
        task->loader->Finish(*task);
    }
    return 0;
}

void DatabaseLoader::Finish(Task& task) {
    --pending;
    // The work is done: the progress window goes now, not at its next look.
    if (task.progress) {
        task.progress->CloseFinished();
    }
    // A later opening supersedes this one; its result alone counts.
    if (task.generation == generation) {
        done(task.path, std::move(task.plot));
    }
}
