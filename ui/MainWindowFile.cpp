// The file half of MainWindow: opening and reloading a plot file, the bar
// that offers a Reload, the trees' sets made on a worker, Delete Index
// Tables, and drawing only while no other program keeps the file. The
// window's thread never waits for another program: work that may wait runs
// as a job behind the progress window, and the window leaves the file alone
// until the job ends.
#include <wx/filename.h>

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/CommandLine.h"
#include "render/RenderHelper.h"
#include "ui/BackgroundJob.h"
#include "ui/ChangeBar.h"
#include "ui/InspectWindow.h"
#include "ui/LegendPanel.h"
#include "ui/MainWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/RecentPlots.h"
#include "ui/ScreenText.h"
#include "ui/StemSelection.h"
#include "ui/TreeSetMaker.h"
#include "ui/TreeStatsWindow.h"
#include "ui/Viewer.h"

namespace {

// The narrowest view, on its shorter side: a few grid cells.
constexpr double kCellsAcross = 3.0;
// How soon a drawing that found the file busy is tried again.
constexpr int kBusyRetryMs = 500;

const char* const kIndexesDeleted =
    "All database indexes have been deleted. You will need to re open the database before you "
    "can use it again.";
const char* const kMakingLookups = "Creating lookup indexes...";
const char* const kTryTreesAgain =
    "It is tried again at your next change of the view, the layers or the selected trees.";

}  // namespace

// ---------------------------------------------------------------------------
// Opening and reloading

void MainWindow::OpenDatabase(const wxString& path) {
    // The work uses the open file; the opening, which lets go of it, follows.
    if (fileWorkRunning) {
        openAfterWork = path;
        return;
    }
    keeper.Forget();
    StartOpening(path, {});
}

void MainWindow::Reload() {
    // Never under a drag: the view it keeps would be a view half moved.
    if (reloadPath.empty() || IsLoading() || viewer->IsDragging()) {
        return;
    }
    Log(LOG_RUN, "Reload chosen.");
    KeepForReload();
    StartOpening(reloadPath, keeper.Stems());
}

// The trees are made on the opening's worker, so that their sets need no
// second progress window.
void MainWindow::StartOpening(const wxString& path, const std::vector<wxString>& trees) {
    reloadPath = path;
    LetGoOfPlot();
    loader->Start(path, trees);
}

void MainWindow::LetGoOfPlot() {
    busyRetry.Stop();
    readoutBar->SetPlot(nullptr);
    readoutBar->SetFileBusy(false);
    legendPanel->SetSections({});
    changeBar->Forget();
    // The inspector must not keep acting on the data set that was just dropped.
    inspector->SetRenderHelper(nullptr);
    statsWindow->SetPlot(nullptr);
    // The file's connection closes here, before the opening looks at the
    // file: closing another handle on it in this process would drop the
    // locks SQLite holds through this one.
    renderHelper.reset();
}

// A Reload keeps what it can of the window; a Reload after Delete Index
// Tables keeps what was kept then.
void MainWindow::KeepForReload() {
    if (renderHelper) {
        keeper.Keep(*renderHelper, *selection);
    }
}

void MainWindow::OnDatabaseLoaded(const wxString& path, std::unique_ptr<PlotFile> plot,
                                  const JobEnd& end) {
    PlotOpening opening;
    if (plot) {
        opening = plot->GetOpening();
    } else {
        opening.problem = end.Describe(wxString::Format("\"%s\" could not be opened", path));
    }
    if (opening.IsOpen()) {
        renderHelper = std::make_shared<RenderHelper>(std::move(plot));
        renderHelper->SetTextScale(ScreenTextScale());
        renderHelper->SetFrameShape(frameShape);
        fileName = wxFileName(path).GetFullName();
        filePath = wxFileName(path).GetAbsolutePath();
        recentPlots->Add(path);
    } else {
        // Nothing of a refused file is kept: the window stays as without data.
        plot.reset();
        fileName.clear();
        filePath.clear();
    }
    treeSets->ForgetFailures();
    lookupsTried = false;
    setsToldMissing = opening.missing.size();
    ResetView();
    ClearLayerCaches();
    viewer->SetLayers({});
    RefillStemList();
    readoutBar->SetPlot(renderHelper.get());
    inspector->SetRenderHelper(renderHelper.get());
    statsWindow->SetPlot(renderHelper ? &renderHelper->GetPlot() : nullptr);
    if (opening.IsOpen()) {
        changeBar->Watch(fileName, renderHelper->GetPlot().GetOpenedDataVersion());
        keeper.Restore(*renderHelper, *selection);
    }
    RedrawLayers();
    // Said over the window as it now is, once the progress window has gone;
    // the plot file's own account names the file and the reason.
    if (!opening.problem.empty()) {
        Inform(opening.problem, "Open Database",
               opening.IsOpen() ? wxOK | wxICON_WARNING : wxOK | wxICON_ERROR);
    }
    if (opening.IsOpen()) {
        Log(LOG_RUN, "Database loaded.");
        SelectStartStems();
        StartLookupIndexes();
    }
    // The start options are the start file's: a refused one takes them with it.
    startPending = false;
}

// A new file is shown whole, or as the start options ask; a reloaded one as it was.
void MainWindow::ResetView() {
    if (!renderHelper) {
        return;
    }
    const PlotRect& full = renderHelper->GetFullExtent();
    const UptakeGridData* grid = renderHelper->GetPlot().GetUptakeGrid();
    // Without a grid there are no cells to count; a hundredth of the plot serves.
    const double span =
        grid ? kCellsAcross * grid->GetCellSize() : std::min(full.Width(), full.Height()) / 100;
    navigator.Reset(full, span);
    PlotRect view = full;
    if (const std::optional<PlotRect> kept = keeper.View()) {
        view = *kept;
    } else if (startPending && start.view) {
        view = *start.view;
    }
    renderHelper->SetView(view.xMin, view.yMin, view.xMax, view.yMax);
}

// All start stems are selected before the picture is drawn, once.
void MainWindow::SelectStartStems() {
    if (!startPending || start.stems.empty()) {
        return;
    }
    for (const std::string& stem : start.stems) {
        selection->Select(*renderHelper, wxString::FromUTF8(stem.c_str()));
    }
    RedrawLayers();
}

bool MainWindow::OpenAfterWork() {
    if (openAfterWork.empty()) {
        return false;
    }
    const wxString path = openAfterWork;
    openAfterWork.clear();
    OpenDatabase(path);
    return true;
}

// ---------------------------------------------------------------------------
// The trees' own sets

// A tree whose set could not be made is drawn as empty and said once.
void MainWindow::OnTreeSetsMade(const wxString& problems) {
    fileWorkRunning = false;
    if (OpenAfterWork() || !renderHelper) {
        return;
    }
    TellLateIndexFailure();
    RedrawLayers(false);
    if (!problems.empty()) {
        Inform(problems + kTryTreesAgain, "Individual Stem Layers", wxOK | wxICON_WARNING);
    }
    StartLookupIndexes();
}

// ---------------------------------------------------------------------------
// The lookup indexes

// The map is on screen first; the indexes only speed up later openings, so
// a failure to make them (a read-only file) is logged, not said.
bool MainWindow::StartLookupIndexes() {
    if (!renderHelper || fileWorkRunning || lookupsTried ||
        !renderHelper->GetPlot().LacksLookupIndexes()) {
        return false;
    }
    // Once per opening: a file that cannot take them is read without them.
    lookupsTried = true;
    viewer->Update();
    readoutBar->SetWorkNote(kMakingLookups);
    fileWorkRunning = true;
    std::shared_ptr<RenderHelper> helper = renderHelper;
    wxWeakRef<MainWindow> self(this);
    RunBehindProgress(
        this, ProgressMonitor(0.0, 0.0),
        [helper](ProgressMonitor& monitor) {
            PlotFile& plot = helper->GetPlot();
            WorkerLockWait wait(plot.GetDatabase());
            monitor.SetMessage("%s", kMakingLookups);
            try {
                plot.FinishLookupIndexes();
            } catch (...) {
                plot.GetDatabase().Rollback();
                throw;
            }
        },
        [self](const JobEnd&) {
            if (!self) {
                return;
            }
            self->fileWorkRunning = false;
            self->readoutBar->SetWorkNote(wxString());
            if (!self->OpenAfterWork()) {
                self->TellLateIndexFailure();
                self->RedrawLayers(false);
            }
        });
    return true;
}

void MainWindow::TellLateIndexFailure() {
    if (!renderHelper) {
        return;
    }
    const PlotOpening& opening = renderHelper->GetPlot().GetOpening();
    if (opening.missing.size() == setsToldMissing) {
        return;
    }
    setsToldMissing = opening.missing.size();
    ClearLayerCaches();
    Inform(opening.problem, "Open Database", wxOK | wxICON_WARNING);
}

// ---------------------------------------------------------------------------
// Another program and the file

void MainWindow::ShowFileBusy() {
    readoutBar->SetFileBusy(true);
    if (!busyRetry.IsRunning()) {
        busyRetry.StartOnce(kBusyRetryMs);
    }
}

void MainWindow::OnBusyRetry(wxTimerEvent&) {
    RedrawLayers(false);
}

long long MainWindow::FileDataVersion() {
    if (!renderHelper || fileWorkRunning) {
        return 0;
    }
    return renderHelper->GetPlot().GetDatabase().GetDataVersion();
}

bool MainWindow::MayShowChangeBar() {
    return !IsLoading() && IsEnabled() && !viewer->IsDragging();
}

void MainWindow::OnReloadButton(wxCommandEvent&) {
    Reload();
}

void MainWindow::OnUpdateReload(wxUpdateUIEvent& event) {
    event.Enable(!reloadPath.empty() && !IsLoading());
}

// ---------------------------------------------------------------------------
// Delete Index Tables

// Nothing may read the dropped tables or build them again: the window lets
// go of the file at once and keeps only what a Reload needs.
void MainWindow::DeleteIndexesCommand() {
    if (!renderHelper || IsLoading()) {
        return;
    }
    KeepForReload();
    const wxString name = fileName;
    std::shared_ptr<RenderHelper> helper = renderHelper;
    LetGoOfPlot();
    fileName.clear();
    ClearLayerCaches();
    viewer->SetLayers({});
    RefillStemList();
    UpdateZoomDisplay();
    fileWorkRunning = true;
    auto dropped = std::make_shared<bool>(false);
    wxWeakRef<MainWindow> self(this);
    RunBehindProgress(
        this, ProgressMonitor(0.0, 0.0),
        [helper, dropped](ProgressMonitor&) {
            WorkerLockWait wait(helper->GetPlot().GetDatabase());
            *dropped = helper->GetPlot().DeleteIndexTables();
        },
        [self, name, dropped](const JobEnd& end) {
            if (self) {
                self->OnIndexTablesDeleted(name, *dropped, end);
            }
        });
}

void MainWindow::OnIndexTablesDeleted(const wxString& name, bool dropped, const JobEnd& end) {
    fileWorkRunning = false;
    if (!end.finished) {
        Inform(
            end.Describe(wxString::Format("The index tables of \"%s\" could not be deleted", name)),
            "Delete Index Tables", wxOK | wxICON_ERROR);
    } else if (!dropped) {
        Inform(wxString::Format("Some index tables of \"%s\" could not be deleted because another "
                                "program kept the file busy. Reload it and try again.",
                                name),
               "Delete Index Tables", wxOK | wxICON_WARNING);
    } else {
        Inform(kIndexesDeleted, "Indexes Deleted", wxOK | wxICON_INFORMATION);
    }
    if (OpenAfterWork()) {
        return;
    }
    changeBar->OfferReload(wxString::Format(
        "\"%s\" was closed when its index tables were deleted. Reload opens it again, which "
        "builds them anew.",
        name));
}
