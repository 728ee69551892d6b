// One open plot file: its database, the extents of its grid and stems, the
// data sets built from them, and what is kept of each tree's own uptake.
// Opening decides once whether the file is taken, refused or only partly
// built, and says why, so that every caller reports it alike.
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "data/DerivedGrids.h"
#include "data/NeighborGridData.h"
#include "data/PlotRect.h"
#include "data/PlotSet.h"
#include "data/PointData.h"
#include "data/RootData.h"
#include "data/StemAttributes.h"
#include "data/StemData.h"
#include "data/TreeStats.h"
#include "data/UptakeGridData.h"
#include "db/Database.h"

// How an opening ended.
struct PlotOpening {
    enum class Status {
        Accepted,  // grid or stem (or both) found and read
        // Nothing read and nothing written: not a database, neither grid nor
        // stem, locked by another program, or a needed recovery it cannot get.
        Refused,
        Partial,  // read, but index tables could not be built: see missing
    };
    Status status = Status::Refused;
    // Refused: why. Partial: what stays empty, why, and what to do. Empty
    // when accepted.
    wxString problem;
    // Partial: the sets whose index tables could not be built.
    std::vector<PlotSet> missing;

    bool IsOpen() const { return status != Status::Refused; }
    bool Lacks(PlotSet set) const;
};

// A stem's label and position, as the stem data set holds them.
struct StemPosition {
    wxString label;
    double x;
    double y;
};

// The stem nearest to (x, y) as a click picks it: strictly nearer than every
// stem before it and than 100000 plot units. Its index, or -1, with its
// distance in distance.
int NearestStem(const std::vector<StemPosition>& stems, double x, double y, double& distance);

// What one tree's own layers draw from, kept for the open file so that
// readings and legends do not build the tree's data set again.
struct TreeUptake {
    bool drawable = false;  // the tree has a stem and a grid column
    std::string table;      // its index table; empty when it could not be built
    double minValue = 100000.0;
    double maxValue = -100000.0;
};

class PlotFile {
  public:
    // Opens the file and builds (or reuses) its index tables, reporting to
    // monitor. tables: when the plot-wide sets write their tables and their
    // lookup indexes (LookupIndexes::TableLater: both after a first picture,
    // by FinishLookupIndexes, the sets drawing from memory until then).
    PlotFile(const wxString& path, ProgressMonitor monitor,
             LookupIndexes tables = LookupIndexes::Later);
    ~PlotFile();
    PlotFile(const PlotFile&) = delete;
    PlotFile& operator=(const PlotFile&) = delete;

    const PlotOpening& GetOpening() const { return opening; }
    const wxString& GetPath() const { return filePath; }
    // The union of the grid's and the stems' extents.
    const PlotRect& GetFullExtent() const { return fullExtent; }

    Database GetDatabase() { return database; }
    bool HasRootData() const { return hasRootData; }
    bool HasStemData() const { return hasStemData; }
    const RootData* GetRootData() const { return rootData.get(); }
    const StemData* GetStemData() const { return stemData.get(); }
    // Null when the file has no grid (or was refused).
    NeighborGridData* GetNeighborGrid() { return neighborGrid.get(); }
    UptakeGridData* GetUptakeGrid() { return uptakeGrid.get(); }
    GridData* GetGrid(PlotSet set);
    // Null when the file has no stem table (or was refused).
    PointData* GetStemPoints() { return stemPoints.get(); }

    std::vector<wxString> GetTreeNames();
    std::vector<wxString> GetStemAttributeNames();
    double GetStemValue(const wxString& label, const wxString& column);
    // The stem table's values as it holds them (texts as texts), read when
    // the file was opened; empty without a stem table.
    const StemAttributes& GetStemAttributes() const { return stemAttributes; }
    // An attribute as the inspector lists it: its text, a number with "%f",
    // or "missing" (-1, or no value).
    wxString GetStemText(const wxString& label, const wxString& column) const;
    // Every stem in table order; empty without a stem table.
    std::vector<StemPosition> GetStemPositions();
    // The label of the stem nearest to (x, y), or "none".
    wxString FindNearestStem(double x, double y);

    // The uptake set of one tree (its cells where its value is not 0), made
    // at the first need and kept for the open file; null when the tree has
    // no stem or no grid column, and so nothing to draw. A set whose index
    // table could not be built is built again at the next need.
    UptakeGridData* GetTreeGrid(const wxString& treeName);
    // Makes the uptake sets of the trees not made yet, gathering their rows
    // in one pass over grid when there are several (GatherTreeSources).
    void GatherTrees(const std::vector<wxString>& treeNames);
    // Builds the tree's index table when it is not there yet; a tree whose
    // table could not be built reads as having nothing to draw, and is not
    // remembered so.
    const TreeUptake& GetTreeUptake(const wxString& label);
    // Whether the two above make a tree's set at their first need (the
    // default), or only hand out what PrepareTree made: a window, which must
    // not wait for the file, builds trees elsewhere first.
    void SetTreesMadeOnDemand(bool made) { treesOnDemand = made; }
    // Makes the tree's set and reads its cells into memory, whichever the
    // setting above; and whether that is done (a failed build is not).
    void PrepareTree(const wxString& label);
    // The same for several trees, their rows gathered in one pass over grid.
    void PrepareTrees(const std::vector<wxString>& labels);
    bool IsTreePrepared(const wxString& label) const;
    // Reads the plot-wide sets' index tables into memory (see IndexedGridData::HoldCells).
    void HoldCells();
    // Whether the plot-wide sets' tables still lack their lookup indexes (or
    // are not written yet): an opening that builds them leaves those for
    // after its first picture.
    bool LacksLookupIndexes() const;
    // Writes the tables still to be written, then creates the lookup indexes
    // (see IndexedGridData::FinishLookupIndexes); true when none is lacking
    // afterwards. A table that cannot be written after all makes the opening
    // partial, as if it had failed at once.
    bool FinishLookupIndexes();
    // SQLite's data version of the file when the opening began: a later
    // value on the same handle means another program has committed since.
    long long GetOpenedDataVersion() const { return openedDataVersion; }
    // Trees whose index table could not be built, and why the first of them failed.
    bool TreeSetFailed(const wxString& tree) const { return treesWithoutIndex.count(tree) > 0; }
    wxString GetTreeSetProblem() const { return treeSetProblem; }
    // Why the tree's index table could not be built, the last time it was
    // tried; empty when it was built.
    wxString GetTreeProblem(const wxString& tree) const;
    // Drops every index table of the file, and what was kept of them; says
    // which registry rows were left, and why.
    IndexDeletion DeleteIndexTables();
    // What the file holds that the layers show otherwise than written, one
    // line each (texts in value columns that are not numbers); logged too.
    const std::vector<std::string>& GetDataWarnings() const { return dataWarnings; }
    // The set's values that are not 0, ascending, over the whole plot: read
    // once and kept with the open file (the quantile and log colour classes
    // are made from them). The set must be one of this file's.
    std::shared_ptr<const std::vector<double>> SortedValues(GridData& set);
    // What is derived from grid in memory: the dominant trees, the trees'
    // grouping by a stem column and what is gathered of the groups.
    DerivedGrids& GetDerived();
    // Groups the trees by a stem column from now on (empty: no grouping),
    // letting go of what was gathered of another; false with the reason.
    bool GroupTreesBy(const std::string& column, std::string& error);
    const TreeGroups* GetTreeGroups() { return GetDerived().GetGroups(); }
    // Makes what a picture needs derived, at its first need, in one pass
    // over grid; not for a window, which makes it on the worker first (see
    // SetTreesMadeOnDemand).
    void GatherDerived(const DerivedNeeds& needs);
    // The same whichever the setting; false when the pass failed.
    bool MakeDerived(const DerivedNeeds& needs, ProgressMonitor* monitor = nullptr);
    // Why the last pass for derived grids failed; empty when it worked.
    const wxString& GetDerivedProblem() const { return derivedProblem; }
    // The statistics of every tree, once computed, kept with the open file
    // until its index tables are deleted; null before.
    std::shared_ptr<const TreeStatsTable> GetTreeStats() const { return treeStats; }
    void KeepTreeStats(std::shared_ptr<const TreeStatsTable> stats) {
        treeStats = std::move(stats);
    }

  private:
    void Open(ProgressMonitor monitor, LookupIndexes tables);
    // Writes the plot-wide tables left for later; before anything else is
    // written, so that the file gets its tables in the order it always did.
    void WritePendingTables();
    void TakeExtents();
    void NoteIndexFailures();
    void NoteTextValues();
    void NoteTreeIndexFailure(const wxString& tree, const StatementFailure& failure);
    // Whether the tree's set must be made (again) at its next need.
    bool TreeGridWanted(const wxString& treeName) const;
    void KeepTreeGrid(const wxString& treeName, GatheredSource* gathered);
    // Whether the tree has anything for its own layers to draw.
    bool IsTreeDrawable(const wxString& stemName);

    wxString filePath;
    PlotOpening opening;
    PlotRect fullExtent;
    std::unique_ptr<PointData> stemPoints;
    std::unique_ptr<NeighborGridData> neighborGrid;
    std::unique_ptr<UptakeGridData> uptakeGrid;
    // The grid's rows, kept while a plot-wide table is still to be written.
    std::unique_ptr<GridSource> plotSource;
    Database database;
    std::unique_ptr<RootData> rootData;
    std::unique_ptr<StemData> stemData;
    bool hasRootData = false;
    bool hasStemData = false;
    std::map<wxString, TreeUptake> treeUptakes;
    // Null for a tree found to have nothing to draw.
    std::map<wxString, std::unique_ptr<UptakeGridData>> treeGrids;
    // Tree, and why its table could not be built.
    std::map<wxString, wxString> treesWithoutIndex;
    bool treesOnDemand = true;
    // What GetTreeUptake answers for a tree it does not keep.
    TreeUptake notKept;
    long long openedDataVersion = 0;
    wxString treeSetProblem;
    std::vector<std::string> dataWarnings;
    std::shared_ptr<const TreeStatsTable> treeStats;
    StemAttributes stemAttributes;
    std::unique_ptr<DerivedGrids> derived;
    wxString derivedProblem;
    std::map<const GridData*, std::shared_ptr<const std::vector<double>>> sortedValues;
};

// The source query of one tree's uptake: the cells where its column is not 0.
wxString StemUptakeQuery(const wxString& treeLabel);

// What to tell the user when DeleteIndexTables left registry rows of the
// file (named fileName in the text): which, and why; empty when it left none.
wxString IndexDeletionMessage(const IndexDeletion& deletion, const wxString& fileName);
