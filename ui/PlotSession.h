// One plot open in the window, apart from the windows: the plot file with its
// held cells, its painter (the view, the frame's shape and the selected stems,
// which it highlights), its trees' colours, the work that runs on the file
// behind the progress window (opening, the trees' sets, the lookup indexes,
// the statistics, Delete Index Tables), whether another program keeps the
// file busy, has changed it or has put another file in its place, and what a
// Reload keeps. The windows show it and hand it the user's commands; what it
// does of its own accord reaches them through the hooks it was made with.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/FileIdentity.h"
#include "data/GroupStats.h"
#include "data/PlotFile.h"
#include "data/PlotRect.h"
#include "render/PictureRequest.h"
#include "render/PlotPainter.h"
#include "render/TreeColors.h"
#include "ui/BackgroundJob.h"
#include "ui/ReloadKeeper.h"

class DatabaseLoader;
class PlotComparison;
class TreeSetMaker;

struct SessionHooks {
    // Runs work on a worker behind the progress window.
    JobRunner runJob;
    // Shows a message (text, caption, style) over the window.
    std::function<void(const wxString& text, const wxString& caption, long style)> inform;
    // The plot is let go of: nothing of it may be read any more.
    std::function<void()> letGo;
    // An opening ended, with a plot or without.
    std::function<void()> opened;
    // The stem shown in the inspector is now this one (empty: none).
    std::function<void(const wxString& stem)> inspected;
    // The selected stems changed.
    std::function<void()> selectionChanged;
    // The picture must be drawn again; retryTrees false leaves the trees
    // whose sets just failed as they are.
    std::function<void(bool retryTrees)> redraw;
    // Work on the file runs behind the map (its note), or ended (empty).
    std::function<void(const wxString& note)> workNote;
    // What the plot's sets hold has changed: pictures drawn of them go.
    std::function<void()> setsChanged;
    // What the window shows is no longer what the file holds: says why and
    // offers a Reload.
    std::function<void(const wxString& text)> offerReload;
    // A plot is compared with the open one now, or none any more.
    std::function<void()> comparisonChanged;
};

class PlotSession {
  public:
    explicit PlotSession(SessionHooks hooks);
    ~PlotSession();
    PlotSession(const PlotSession&) = delete;
    PlotSession& operator=(const PlotSession&) = delete;

    // ---- The plot
    bool IsOpen() const { return plot != nullptr; }
    PlotFile& GetPlot() const { return *plot; }
    PlotPainter& GetPainter() const { return *painter; }
    const PlotRect& GetView() const { return painter->GetView(); }
    const PlotRect& GetFullExtent() const { return plot->GetFullExtent(); }
    void SetView(const PlotRect& view) { painter->SetView(view); }
    // The shape holds for every plot opened after, as the colour scale does.
    void SetFrameShape(const FrameShape& shape);
    const FrameShape& GetFrameShape() const { return frameShape; }
    // The open file's name ("plot.db") and absolute path; empty without one.
    const wxString& GetFileName() const { return fileName; }
    const wxString& GetFilePath() const { return filePath; }
    std::shared_ptr<TreeColors> GetTreeColors() const { return treeColors; }
    wxColour TreeColor(const wxString& tree) { return treeColors->Get(tree); }

    // ---- Opening
    // Opens the file in the background, afresh; while other work on the
    // open file runs, the opening follows it.
    void Open(const wxString& path);
    // Opens the file again (or the one whose index tables were deleted),
    // keeping the view, the selected trees and the inspected stem where
    // they still exist. False when there is nothing to reload or work runs.
    bool Reload();
    bool CanReload() const { return !reloadPath.empty() && !IsWorking(); }
    // The view and stems the next opening shows first, once.
    void SetStartOptions(const std::optional<PlotRect>& view, const std::vector<std::string>& stems,
                         const std::string& groupBy = {},
                         const std::vector<std::string>& groups = {});

    // ---- A plot compared with the open one, cell by cell (the change is
    // it minus the open one). It stays through a Reload and the series'
    // next and previous plots, and is compared again with each.
    // Opens the other plot behind the progress window; a refusal (another
    // grid) is said. False when no plot is open or work runs.
    bool Compare(const wxString& path);
    void EndComparison();
    // A comparison is wanted: made, or to be made by the coming opening.
    bool IsComparing() const { return !comparePath.empty(); }
    PlotComparison* GetComparison() const { return comparison.get(); }
    // The compared file's name ("b.db"); empty without one.
    const wxString& GetComparedName() const { return comparedName; }

    // ---- A series: the .db files of the open file's folder in name order,
    // the compared one left out. Opens the next (step 1) or the previous
    // (step -1), keeping the view, the selected trees and their colours
    // and the comparison; false, and said, when there is none.
    bool OpenNeighbour(int step);

    // ---- Selection: the selected stems, in the order they were selected,
    // each once; the inspected stem is the one selected last, unless it was
    // deselected since.
    void Select(const wxString& stem);
    void Deselect(const wxString& stem);
    // No stem is selected any more; the inspected one stays.
    void ClearSelection();
    // Shows the stem in the inspector without selecting it.
    void Inspect(const wxString& stem);
    const std::vector<wxString>& GetSelected() const;
    const wxString& GetInspected() const { return inspected; }

    // ---- Groups of trees: the stem column the open plot's trees are
    // grouped by (empty: none), and the selected groups, in selection order.
    // A new grouping selects no group. False with the reason when the
    // column cannot group them.
    bool GroupBy(const std::string& column, std::string& error);
    const std::string& GetGroupColumn() const { return groupColumn; }
    void SetSelectedGroups(const std::vector<wxString>& groups);
    const std::vector<wxString>& GetSelectedGroups() const { return selectedGroups; }

    // ---- Work on the file
    // An opening, or other work on the file behind the progress window, runs.
    bool IsWorking() const;
    // Makes the sets of the selected trees that lack one, behind the
    // progress window; true when that work started (its end draws again).
    // retry: a tree whose set failed is tried again.
    bool MakeTreeSets(const std::vector<wxString>& trees, bool retry);
    // Makes what a picture needs derived from grid (the dominant trees, the
    // groups' sums), in one pass behind the progress window; true when that
    // work started (its end draws again). retry: after a pass that failed.
    bool MakeDerived(const DerivedNeeds& needs, bool retry);
    // Computes the statistics of every tree (on the worker when the plot is
    // large) and hands them to done, with the reason when they could not be.
    using StatsDone =
        std::function<void(std::shared_ptr<const TreeStatsTable> table, const std::string& error)>;
    void ComputeTreeStats(StatsDone done);
    // The same for the groups of the session's grouping, one row per group.
    using GroupStatsDone =
        std::function<void(std::shared_ptr<const GroupStatsTable> table, const std::string& error)>;
    void ComputeGroupStats(GroupStatsDone done);
    // Plots with more values (cells times trees) are computed on the worker.
    static void SetStatsWorkerThreshold(double values);
    // Drops every index table of the file, and lets go of the plot first;
    // false when it cannot start (no plot, work runs, the file replaced).
    bool DeleteIndexTables();

    // ---- The file and other programs
    // Why what the window shows is no longer what the file holds: another
    // program committed a change, or another file (or none) has its name
    // now. Empty when neither, while no plot is open, or while work runs.
    // Logged when found.
    wxString ChangeOnDisk();

  private:
    void StartOpening(const wxString& path, const std::vector<wxString>& trees);
    void LetGoOfPlot();
    void OnOpened(const wxString& path, std::unique_ptr<PlotFile> opened, const JobEnd& end);
    void TakePlot(const wxString& path, std::unique_ptr<PlotFile> opened);
    void ResetView();
    void SelectStartStems();
    bool OpenAfterWork();
    void OnTreeSetsMade(const wxString& problems);
    void OnDerivedMade(bool made, const JobEnd& end);
    // Runs a pass of statistics over the plot: at once on a small plot, on
    // the worker through a handle of its own on a large one; then finish,
    // on the window's thread, with whether it gathered and why not.
    using StatsPass =
        std::function<bool(Database database, std::string& error, ProgressMonitor* monitor)>;
    void RunStatsPass(StatsPass pass, std::function<void(bool, const std::string&)> finish);
    // Groups the new plot's trees as the start options or a Reload ask.
    void RestoreGrouping(const std::string& column, const std::vector<wxString>& groups);
    // Says that a table written after the map could not be written after
    // all, and has its layers drawn empty, as an opening that failed at once does.
    void TellLateIndexFailure();
    // Makes the lookup indexes a first opening left for later, once the map
    // is shown; false when none is lacking or other work runs.
    bool StartLookupIndexes();
    void OnIndexTablesDeleted(const wxString& name, const IndexDeletion& deletion,
                              const JobEnd& end);
    // True, and the Reload offered, when another file now has the plot's
    // name: nothing more is written into the file that has gone.
    bool FileWasReplaced();
    // The comparison wanted and not yet made, or the lookup indexes; false
    // when neither starts.
    bool StartPendingWork();
    bool StartComparing();
    void RefuseComparison(const wxString& problem);
    bool ComparedWasReplaced();
    void OnComparedOpened(std::unique_ptr<PlotFile> opened, const FileIdentity& identity,
                          const JobEnd& end);
    void OnCompared(std::shared_ptr<PlotFile> opened, std::unique_ptr<PlotComparison> made,
                    const std::string& error, const JobEnd& end);
    // Drops the comparison (before the plots it reads); the path stays for
    // the next opening unless forget.
    void DropComparison(bool forget);
    wxString ComparedChangeOnDisk();
    // The series' file step places from this one; empty when there is none.
    wxString NeighbourOf(const wxString& path, int step) const;

    SessionHooks hooks;
    std::shared_ptr<PlotFile> plot;
    std::unique_ptr<PlotPainter> painter;
    std::shared_ptr<TreeColors> treeColors = std::make_shared<TreeColors>();
    FrameShape frameShape;
    wxString inspected;
    std::string groupColumn;
    std::vector<wxString> selectedGroups;
    bool derivedFailed = false;  // told once, tried again at the next retry
    wxString fileName;
    wxString filePath;
    FileIdentity fileIdentity;
    // The file Reload opens: the open one, or the one whose index tables were deleted.
    wxString reloadPath;
    ReloadKeeper keeper;
    std::unique_ptr<DatabaseLoader> loader;
    std::unique_ptr<TreeSetMaker> treeSets;
    // The compared plot: its opening, its trees' sets and what it is.
    std::unique_ptr<DatabaseLoader> compareLoader;
    std::unique_ptr<TreeSetMaker> comparedSets;
    std::shared_ptr<PlotFile> compared;
    std::unique_ptr<PlotComparison> comparison;
    wxString comparePath;  // compared again by each opening while not empty
    wxString comparedName;
    FileIdentity comparedIdentity;
    bool fileWork = false;       // work behind the progress window other than an opening
    bool lookupsTried = false;   // the lookup indexes were tried for the open file
    bool compareTried = false;   // the comparison was tried for the open file
    bool compareAsked = false;   // the user asked for it, and it is not made yet
    size_t setsToldMissing = 0;  // the plot-wide sets said to lack their tables
    wxString openAfterWork;
    // Start options still to be taken by the next completed opening.
    bool startPending = false;
    std::optional<PlotRect> startView;
    std::vector<std::string> startStems;
    std::string startGroupBy;
    std::vector<std::string> startGroups;
    // Lets work that ends after the session has gone leave it alone.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
