// The window's thread never waits for another program: work that may wait
// runs as a job behind the progress window, and the session leaves the file
// alone until the job ends.
#include "ui/PlotSession.h"

#include <wx/defs.h>
#include <wx/filename.h>

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "data/PlotComparison.h"
#include "ui/DatabaseLoader.h"
#include "ui/TreeSetMaker.h"

namespace {

// The narrowest view, on its shorter side: a few grid cells.
constexpr double kCellsAcross = 3.0;

const char* const kIndexesDeleted =
    "All database indexes have been deleted. You will need to re open the database before you "
    "can use it again.";
const char* const kMakingLookups = "Creating lookup indexes...";
const char* const kTryTreesAgain =
    "It is tried again at your next change of the view, the layers or the selected trees.";
const char* const kChangedText =
    "\"%s\" has changed on disk since it was opened. Reload to see it as it is now.";
const char* const kReplacedText =
    "\"%s\" has been replaced or removed on disk since it was opened. Reload to open what "
    "its name holds now.";

// Another program committed a change since the plot was opened; not while
// the file is too busy to tell (its version reads 0 then).
bool ChangedSinceOpened(PlotFile& plot) {
    const long long version = plot.GetDatabase().GetDataVersion();
    return version != 0 && version != plot.GetOpenedDataVersion();
}

}  // namespace

PlotSession::PlotSession(SessionHooks sessionHooks) : hooks(std::move(sessionHooks)) {
    std::weak_ptr<int> session = alive;
    loader = std::make_unique<DatabaseLoader>(
        hooks.runJob, [this, session](const wxString& path, std::unique_ptr<PlotFile> opened,
                                      const FileIdentity& identity, const JobEnd& end) {
            if (!session.expired()) {
                fileIdentity = identity;
                OnOpened(path, std::move(opened), end);
            }
        });
    auto setsMade = [this, session](const wxString& problems) {
        if (!session.expired()) {
            OnTreeSetsMade(problems);
        }
    };
    treeSets = std::make_unique<TreeSetMaker>(hooks.runJob, setsMade);
    comparedSets = std::make_unique<TreeSetMaker>(hooks.runJob, setsMade);
    compareLoader = std::make_unique<DatabaseLoader>(
        hooks.runJob, [this, session](const wxString&, std::unique_ptr<PlotFile> opened,
                                      const FileIdentity& identity, const JobEnd& end) {
            if (!session.expired()) {
                OnComparedOpened(std::move(opened), identity, end);
            }
        });
}

PlotSession::~PlotSession() = default;

bool PlotSession::IsWorking() const {
    return loader->IsLoading() || compareLoader->IsLoading() || fileWork;
}

void PlotSession::SetFrameShape(const FrameShape& shape) {
    frameShape = shape;
    if (painter) {
        painter->SetFrameShape(shape);
    }
}

// ---------------------------------------------------------------------------
// Opening and reloading

void PlotSession::Open(const wxString& path) {
    // The work uses the open file; the opening, which lets go of it, follows.
    if (fileWork) {
        openAfterWork = path;
        return;
    }
    keeper.Forget();
    DropComparison(true);
    // A new file's trees get colours of their own.
    treeColors = std::make_shared<TreeColors>();
    StartOpening(path, {});
}

bool PlotSession::Reload() {
    if (!CanReload()) {
        return false;
    }
    Log(LOG_RUN, "Reload chosen.");
    // A Reload after Delete Index Tables keeps what was kept then.
    if (plot) {
        keeper.Keep(*this);
    }
    StartOpening(reloadPath, keeper.Stems());
    return true;
}

void PlotSession::SetStartOptions(const std::optional<PlotRect>& view,
                                  const std::vector<std::string>& stems, const std::string& groupBy,
                                  const std::vector<std::string>& groups) {
    startView = view;
    startStems = stems;
    startGroupBy = groupBy;
    startGroups = groups;
    startPending = true;
}

// The trees are made on the opening's worker, so that their sets need no
// second progress window.
void PlotSession::StartOpening(const wxString& path, const std::vector<wxString>& trees) {
    reloadPath = path;
    LetGoOfPlot();
    loader->Start(path, trees);
}

void PlotSession::LetGoOfPlot() {
    const bool hadPlot = plot != nullptr;
    // The file's connection closes here, before the opening looks at the
    // file: closing another handle on it in this process would drop the
    // locks SQLite holds through this one.
    DropComparison(false);
    painter.reset();
    plot.reset();
    if (hadPlot) {
        hooks.letGo();
    }
}

void PlotSession::OnOpened(const wxString& path, std::unique_ptr<PlotFile> opened,
                           const JobEnd& end) {
    PlotOpening opening;
    if (opened) {
        opening = opened->GetOpening();
    } else {
        opening.problem = end.Describe(wxString::Format("\"%s\" could not be opened", path));
    }
    // Nothing of a refused file is kept: the window stays as without data.
    TakePlot(path, opening.IsOpen() ? std::move(opened) : nullptr);
    treeSets->ForgetFailures();
    derivedFailed = false;
    groupColumn.clear();
    selectedGroups.clear();
    comparedSets->ForgetFailures();
    lookupsTried = false;
    compareTried = false;
    setsToldMissing = opening.missing.size();
    ResetView();
    // A reloaded plot's trees keep the colours they were drawn in.
    if (std::shared_ptr<TreeColors> kept = keeper.Colors(); kept && plot) {
        treeColors = kept;
    }
    if (plot && keeper.View()) {
        RestoreGrouping(keeper.GroupColumn(), keeper.Groups());
    } else if (plot && startPending) {
        std::vector<wxString> groups;
        for (const std::string& group : startGroups) {
            groups.push_back(wxString::FromUTF8(group.c_str()));
        }
        RestoreGrouping(startGroupBy, groups);
    }
    hooks.opened();
    if (plot) {
        keeper.Restore(*this);
    }
    hooks.redraw(true);
    // Said over the window as it now is, once the progress window has gone;
    // the plot file's own account names the file and the reason.
    if (!opening.problem.empty()) {
        hooks.inform(opening.problem, "Open Database",
                     opening.IsOpen() ? wxOK | wxICON_WARNING : wxOK | wxICON_ERROR);
    }
    if (plot) {
        Log(LOG_RUN, "Database loaded.");
        SelectStartStems();
        StartPendingWork();
    }
    // The start options are the start file's: a refused one takes them with it.
    startPending = false;
}

void PlotSession::TakePlot(const wxString& path, std::unique_ptr<PlotFile> opened) {
    plot = std::move(opened);
    if (!plot) {
        fileName.clear();
        filePath.clear();
        return;
    }
    painter = std::make_unique<PlotPainter>(*plot);
    painter->SetFrameShape(frameShape);
    fileName = wxFileName(path).GetFullName();
    filePath = wxFileName(path).GetAbsolutePath();
}

// A new file is shown whole, or as the start options ask; a reloaded one as it was.
void PlotSession::ResetView() {
    if (!plot) {
        return;
    }
    PlotRect view = plot->GetFullExtent();
    if (const std::optional<PlotRect> kept = keeper.View()) {
        view = *kept;
    } else if (startPending && startView) {
        view = *startView;
    }
    painter->SetView(view);
}

// All start stems are selected before the picture is drawn, once.
void PlotSession::SelectStartStems() {
    if (!startPending || startStems.empty()) {
        return;
    }
    for (const std::string& stem : startStems) {
        Select(wxString::FromUTF8(stem.c_str()));
    }
    hooks.redraw(true);
}

bool PlotSession::OpenAfterWork() {
    if (openAfterWork.empty()) {
        return false;
    }
    const wxString path = openAfterWork;
    openAfterWork.clear();
    Open(path);
    return true;
}

// ---------------------------------------------------------------------------
// Selection

void PlotSession::Select(const wxString& stem) {
    if (!painter) {
        return;
    }
    Log(LOG_RUN, "Stem selected: %s", stem.utf8_str().data());
    Inspect(stem);
    painter->AddHighlightedStem(stem);
    hooks.selectionChanged();
}

void PlotSession::Deselect(const wxString& stem) {
    if (!painter) {
        return;
    }
    Log(LOG_RUN, "Stem deselected: %s", stem.utf8_str().data());
    if (stem == inspected) {
        Inspect(wxString());
    }
    painter->RemoveHighlightedStem(stem);
    hooks.selectionChanged();
}

void PlotSession::ClearSelection() {
    if (painter) {
        painter->ClearHighlightedStems();
        hooks.selectionChanged();
    }
}

void PlotSession::Inspect(const wxString& stem) {
    inspected = stem;
    hooks.inspected(stem);
}

const std::vector<wxString>& PlotSession::GetSelected() const {
    static const std::vector<wxString> none;
    return painter ? painter->GetHighlightedStems() : none;
}

// ---------------------------------------------------------------------------
// Groups of trees

bool PlotSession::GroupBy(const std::string& column, std::string& error) {
    if (!plot || !plot->GroupTreesBy(column, error)) {
        return false;
    }
    if (column != groupColumn) {
        Log(LOG_RUN, "Trees grouped by: %s", column.empty() ? "(nothing)" : column.c_str());
        groupColumn = column;
        selectedGroups.clear();
        derivedFailed = false;
    }
    return true;
}

void PlotSession::SetSelectedGroups(const std::vector<wxString>& groups) {
    selectedGroups = groups;
}

// Only what the file still has is taken: the column, and of its groups.
void PlotSession::RestoreGrouping(const std::string& column, const std::vector<wxString>& groups) {
    std::string error;
    if (column.empty() || !GroupBy(column, error)) {
        return;
    }
    for (const wxString& group : groups) {
        if (plot->GetTreeGroups()->Find(Utf8(group)) >= 0) {
            selectedGroups.push_back(group);
        }
    }
}

bool PlotSession::MakeDerived(const DerivedNeeds& needs, bool retry) {
    if (!plot || IsWorking() || !plot->HasRootData()) {
        return false;
    }
    derivedFailed = derivedFailed && !retry;
    if (derivedFailed || !plot->GetDerived().Missing(needs).Any() || FileWasReplaced()) {
        return false;
    }
    fileWork = true;
    std::shared_ptr<PlotFile> file = plot;
    std::weak_ptr<int> session = alive;
    auto made = std::make_shared<bool>(false);
    hooks.runJob(
        ProgressMonitor(0.0, 0.0),
        [file, needs, made](ProgressMonitor& monitor) {
            WorkerLockWait wait(file->GetDatabase());
            *made = file->MakeDerived(needs, &monitor);
        },
        [this, session, made](const JobEnd& end) {
            if (!session.expired()) {
                OnDerivedMade(*made, end);
            }
        });
    return true;
}

// A pass that failed leaves its layers empty and is said once.
void PlotSession::OnDerivedMade(bool made, const JobEnd& end) {
    fileWork = false;
    if (OpenAfterWork() || !plot) {
        return;
    }
    derivedFailed = !made;
    hooks.redraw(false);
    if (!made) {
        const wxString problem =
            end.finished ? plot->GetDerivedProblem()
                         : end.Describe(wxString::Format("\"%s\" could not be read", fileName));
        hooks.inform(problem + ". The dominant-tree and group layers stay empty. " + kTryTreesAgain,
                     "Dominant Trees and Groups", wxOK | wxICON_WARNING);
    }
    // What waited for this work: a comparison asked for, the lookup indexes.
    StartPendingWork();
}

// ---------------------------------------------------------------------------
// The trees' own sets

bool PlotSession::MakeTreeSets(const std::vector<wxString>& trees, bool retry) {
    if (!plot || IsWorking()) {
        return false;
    }
    if (retry) {
        treeSets->ForgetFailures();
        comparedSets->ForgetFailures();
    }
    // The open plot's sets first, then the compared one's: one job at a time.
    if (!treeSets->Needed(*plot, trees).empty()) {
        fileWork = !FileWasReplaced() && treeSets->Start(plot, trees);
    } else if (compared && !comparedSets->Needed(*compared, trees).empty()) {
        fileWork = !ComparedWasReplaced() && comparedSets->Start(compared, trees);
    }
    return fileWork;
}

// A tree whose set could not be made is drawn as empty and said once.
void PlotSession::OnTreeSetsMade(const wxString& problems) {
    fileWork = false;
    if (OpenAfterWork() || !plot) {
        return;
    }
    TellLateIndexFailure();
    hooks.redraw(false);
    if (!problems.empty()) {
        hooks.inform(problems + kTryTreesAgain, "Individual Stem Layers", wxOK | wxICON_WARNING);
    }
    StartPendingWork();
}

bool PlotSession::StartPendingWork() {
    return StartComparing() || StartLookupIndexes();
}

// ---------------------------------------------------------------------------
// The lookup indexes

// The map is on screen first; the indexes only speed up later openings, so
// a failure to make them (a read-only file) is logged, not said.
bool PlotSession::StartLookupIndexes() {
    if (!plot || IsWorking() || lookupsTried || !plot->LacksLookupIndexes()) {
        return false;
    }
    // Once per opening: a file that cannot take them is read without them.
    lookupsTried = true;
    if (FileWasReplaced()) {
        return false;
    }
    hooks.workNote(kMakingLookups);
    fileWork = true;
    std::shared_ptr<PlotFile> file = plot;
    std::weak_ptr<int> session = alive;
    hooks.runJob(
        ProgressMonitor(0.0, 0.0),
        [file](ProgressMonitor& monitor) {
            WorkerLockWait wait(file->GetDatabase());
            monitor.SetMessage("%s", kMakingLookups);
            try {
                file->FinishLookupIndexes();
            } catch (...) {
                file->GetDatabase().Rollback();
                throw;
            }
        },
        [this, session](const JobEnd&) {
            if (session.expired()) {
                return;
            }
            fileWork = false;
            hooks.workNote(wxString());
            if (!OpenAfterWork()) {
                TellLateIndexFailure();
                hooks.redraw(false);
                StartPendingWork();
            }
        });
    return true;
}

void PlotSession::TellLateIndexFailure() {
    if (!plot) {
        return;
    }
    const PlotOpening& opening = plot->GetOpening();
    if (opening.missing.size() == setsToldMissing) {
        return;
    }
    setsToldMissing = opening.missing.size();
    hooks.setsChanged();
    hooks.inform(opening.problem, "Open Database", wxOK | wxICON_WARNING);
}

// ---------------------------------------------------------------------------
// Delete Index Tables

// Nothing may read the dropped tables or build them again: the session lets
// go of the file at once and keeps only what a Reload needs.
bool PlotSession::DeleteIndexTables() {
    if (!plot || IsWorking() || FileWasReplaced()) {
        return false;
    }
    keeper.Keep(*this);
    const wxString name = fileName;
    std::shared_ptr<PlotFile> file = plot;
    LetGoOfPlot();
    fileName.clear();
    filePath.clear();
    fileWork = true;
    auto deletion = std::make_shared<IndexDeletion>();
    std::weak_ptr<int> session = alive;
    hooks.runJob(
        ProgressMonitor(0.0, 0.0),
        [file, deletion](ProgressMonitor&) {
            WorkerLockWait wait(file->GetDatabase());
            *deletion = file->DeleteIndexTables();
        },
        [this, session, name, deletion](const JobEnd& end) {
            if (!session.expired()) {
                OnIndexTablesDeleted(name, *deletion, end);
            }
        });
    return true;
}

void PlotSession::OnIndexTablesDeleted(const wxString& name, const IndexDeletion& deletion,
                                       const JobEnd& end) {
    fileWork = false;
    if (!end.finished) {
        hooks.inform(
            end.Describe(wxString::Format("The index tables of \"%s\" could not be deleted", name)),
            "Delete Index Tables", wxOK | wxICON_ERROR);
    } else if (!deletion.Complete()) {
        hooks.inform(IndexDeletionMessage(deletion, name), "Delete Index Tables",
                     wxOK | wxICON_WARNING);
    } else {
        hooks.inform(kIndexesDeleted, "Indexes Deleted", wxOK | wxICON_INFORMATION);
    }
    if (OpenAfterWork()) {
        return;
    }
    hooks.offerReload(wxString::Format(
        "\"%s\" was closed when its index tables were deleted. Reload opens it again, which "
        "builds them anew.",
        name));
}

// ---------------------------------------------------------------------------
// Other programs and the file

wxString PlotSession::ChangeOnDisk() {
    if (!plot || IsWorking()) {
        return wxString();
    }
    if (FileIdentity::Of(Utf8(filePath)) != fileIdentity) {
        Log(LOG_RUN, "File replaced on disk: %s", fileName.utf8_str().data());
        return wxString::Format(kReplacedText, fileName);
    }
    if (ChangedSinceOpened(*plot)) {
        Log(LOG_RUN, "File changed on disk: %s", fileName.utf8_str().data());
        return wxString::Format(kChangedText, fileName);
    }
    return ComparedChangeOnDisk();
}

wxString PlotSession::ComparedChangeOnDisk() {
    if (!compared) {
        return wxString();
    }
    if (FileIdentity::Of(Utf8(compared->GetPath())) != comparedIdentity) {
        Log(LOG_RUN, "File replaced on disk: %s", comparedName.utf8_str().data());
        return wxString::Format(kReplacedText, comparedName);
    }
    if (ChangedSinceOpened(*compared)) {
        Log(LOG_RUN, "File changed on disk: %s", comparedName.utf8_str().data());
        return wxString::Format(kChangedText, comparedName);
    }
    return wxString();
}

bool PlotSession::ComparedWasReplaced() {
    if (FileIdentity::Of(Utf8(compared->GetPath())) == comparedIdentity) {
        return false;
    }
    Log(LOG_RUN, "File replaced on disk: %s", comparedName.utf8_str().data());
    hooks.offerReload(wxString::Format(kReplacedText, comparedName));
    return true;
}

bool PlotSession::FileWasReplaced() {
    if (FileIdentity::Of(Utf8(filePath)) == fileIdentity) {
        return false;
    }
    Log(LOG_RUN, "File replaced on disk: %s", fileName.utf8_str().data());
    hooks.offerReload(wxString::Format(kReplacedText, fileName));
    return true;
}
