// Opens plot files on a worker thread behind a modal progress window and
// hands each result back on the main thread: only the newest opening's, and
// only while the loader (and the window that owns it) still exists.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>

class PlotFile;
class wxWindow;

class DatabaseLoader {
  public:
    // The progress window has closed when done is called.
    using Done = std::function<void(const wxString& path, std::unique_ptr<PlotFile> plot)>;

    DatabaseLoader(wxWindow* parent, Done done) : parent(parent), done(std::move(done)) {}
    DatabaseLoader(const DatabaseLoader&) = delete;
    DatabaseLoader& operator=(const DatabaseLoader&) = delete;

    void Start(const wxString& path);
    // Openings started and not yet handed back, superseded ones included.
    bool IsLoading() const { return pending > 0; }

  private:
    struct Task;
    static int LoadStep(void* task);
    static int Loaded(void* task);
    void Finish(Task& task);

    wxWindow* parent;
    Done done;
    int pending = 0;
    int generation = 0;
    // Lets a finished worker find out whether the loader still exists.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
