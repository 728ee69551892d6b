// The session's second plot, compared cell by cell with the open one, and
// the plots beside the open one in its folder.
#include <wx/defs.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "data/PlotComparison.h"
#include "ui/DatabaseLoader.h"
#include "ui/PlotSession.h"
#include "ui/TreeSetMaker.h"

namespace {

const char* const kLastOfSeries = "\"%s\" is the last plot of its folder, in name order.";
const char* const kFirstOfSeries = "\"%s\" is the first plot of its folder, in name order.";

// The compared plot's tables written after its opening, for its next one;
// one that cannot take them (read-only) is read without them.
void FinishComparedLookups(PlotFile& other) {
    try {
        WorkerLockWait wait(other.GetDatabase());
        other.FinishLookupIndexes();
    } catch (...) {
        other.GetDatabase().Rollback();
        Log(LOG_RUN, "The compared plot's lookup indexes could not be made.");
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// The compared plot

bool PlotSession::Compare(const wxString& path) {
    if (path.empty()) {
        return false;
    }
    Log(LOG_RUN, "Comparison chosen: %s", Utf8(path).c_str());
    DropComparison(true);
    comparePath = path;
    compareAsked = true;
    compareTried = false;
    // While no plot is open or work runs, the comparison follows.
    return StartPendingWork();
}

void PlotSession::EndComparison() {
    if (!comparePath.empty()) {
        Log(LOG_RUN, "Comparison ended.");
    }
    DropComparison(true);
}

void PlotSession::DropComparison(bool forget) {
    if (forget) {
        comparePath.clear();
        compareAsked = false;
    }
    if (!compared) {
        return;
    }
    if (painter) {
        painter->SetComparison(nullptr);
    }
    comparison.reset();
    compared.reset();
    comparedName.clear();
    hooks.comparisonChanged();
}

// Once per opening: a comparison refused stays refused until asked again.
bool PlotSession::StartComparing() {
    if (!plot || IsWorking() || comparePath.empty() || compared || compareTried) {
        return false;
    }
    compareTried = true;
    compareLoader->Start(comparePath, GetSelected());
    return true;
}

void PlotSession::OnComparedOpened(std::unique_ptr<PlotFile> opened, const FileIdentity& identity,
                                   const JobEnd& end) {
    // The open plot, or the wish to compare, has gone meanwhile.
    if (!plot || comparePath.empty()) {
        return;
    }
    if (!opened || !opened->GetOpening().IsOpen()) {
        RefuseComparison(
            opened ? opened->GetOpening().problem
                   : end.Describe(wxString::Format("\"%s\" could not be opened", comparePath)));
        return;
    }
    comparedIdentity = identity;
    // Matching a large grid takes a while: on the worker, with the compared
    // file's lookup indexes made for its next opening.
    fileWork = true;
    std::shared_ptr<PlotFile> other(std::move(opened));
    std::shared_ptr<PlotFile> open = plot;
    auto made = std::make_shared<std::unique_ptr<PlotComparison>>();
    auto error = std::make_shared<std::string>();
    std::weak_ptr<int> session = alive;
    hooks.runJob(
        ProgressMonitor(0.0, 0.0),
        [open, other, made, error](ProgressMonitor& monitor) {
            WorkerLockWait wait(open->GetDatabase());
            monitor.SetMessage("Comparing the plots...");
            *made = PlotComparison::Make(*open, *other, *error);
            FinishComparedLookups(*other);
        },
        [this, session, other, made, error](const JobEnd& end) {
            if (!session.expired()) {
                OnCompared(other, std::move(*made), *error, end);
            }
        });
}

void PlotSession::OnCompared(std::shared_ptr<PlotFile> other, std::unique_ptr<PlotComparison> made,
                             const std::string& error, const JobEnd& end) {
    fileWork = false;
    if (OpenAfterWork() || !plot) {
        return;
    }
    if (!made) {
        RefuseComparison(end.finished ? wxString::FromUTF8(error.c_str())
                                      : end.Describe("The plots could not be compared"));
    } else {
        compared = std::move(other);
        comparison = std::move(made);
        comparedName = wxFileName(compared->GetPath()).GetFullName();
        painter->SetComparison(comparison.get());
        compareAsked = false;
        Log(LOG_RUN, "Plots compared: %s", Utf8(comparedName).c_str());
        hooks.comparisonChanged();
    }
    hooks.redraw(true);
    StartPendingWork();
}

// A comparison the user has just asked for is forgotten when refused; one
// taken along to another plot of a series stays, for the next.
void PlotSession::RefuseComparison(const wxString& problem) {
    if (compareAsked) {
        comparePath.clear();
        compareAsked = false;
    }
    hooks.inform(problem, "Compare With", wxOK | wxICON_ERROR);
}

// ---------------------------------------------------------------------------
// A series

bool PlotSession::OpenNeighbour(int step) {
    if (IsWorking() || reloadPath.empty()) {
        return false;
    }
    const wxString next = NeighbourOf(reloadPath, step);
    if (next.empty()) {
        hooks.inform(wxString::Format(step > 0 ? kLastOfSeries : kFirstOfSeries,
                                      wxFileName(reloadPath).GetFullName()),
                     step > 0 ? "Next Plot" : "Previous Plot", wxOK | wxICON_INFORMATION);
        return false;
    }
    Log(LOG_RUN, "%s plot chosen: %s", step > 0 ? "Next" : "Previous", Utf8(next).c_str());
    if (plot) {
        keeper.Keep(*this);
    }
    StartOpening(next, keeper.Stems());
    return true;
}

wxString PlotSession::NeighbourOf(const wxString& path, int step) const {
    const wxFileName file(wxFileName(path).GetAbsolutePath());
    wxArrayString found;
    wxDir::GetAllFiles(file.GetPath(), &found, "*.db", wxDIR_FILES);
    const wxString skipped =
        comparePath.empty() ? wxString() : wxFileName(comparePath).GetAbsolutePath();
    std::vector<wxString> series;
    for (const wxString& each : found) {
        if (each != skipped) {
            series.push_back(each);
        }
    }
    std::sort(series.begin(), series.end());
    // By name, so that a file gone from the folder still has neighbours.
    const wxString here = file.GetFullPath();
    if (step > 0) {
        const auto after = std::upper_bound(series.begin(), series.end(), here);
        return after != series.end() ? *after : wxString();
    }
    const auto at = std::lower_bound(series.begin(), series.end(), here);
    return at != series.begin() ? *std::prev(at) : wxString();
}
