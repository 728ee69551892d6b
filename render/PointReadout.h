// What the map holds at one plot point: the grid cell there with its total
// uptake and tree count as the index tables hold them, each chosen tree's own
// uptake in that cell as its layers draw it, and the nearest stem. A set
// whose cells are held in memory (as the window holds them) is read there,
// never waiting for the file; any other is looked up through its index
// table's indexes. Stems are searched in memory.
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/PlotFile.h"
#include "db/Database.h"
#include "render/PictureStyle.h"
#include "render/ValueClasses.h"

class PlotComparison;

struct TreeReading {
    wxString label;
    double uptake = 0.0;  // 0 where the tree takes up nothing
};

// Who takes up most in a cell, once the plot has gathered it (known).
struct DominantReading {
    bool known = false;
    wxString label;  // empty: nobody takes up anything there
    double share = 0.0;
};

// What a compared plot holds in the same cell (the change is it minus the
// open plot's).
struct ComparedReading {
    double uptake = 0.0;
    double treeCount = 0.0;
    std::vector<double> trees;  // in the order of the reading's trees
};

struct PointReading {
    double x = 0.0;
    double y = 0.0;
    bool hasCell = false;  // a grid cell holds the point
    double cellX = 0.0;    // the cell's corner
    double cellY = 0.0;
    double uptake = 0.0;
    double treeCount = 0.0;
    std::vector<TreeReading> trees;  // only when a cell holds the point
    DominantReading dominantTree;    // likewise
    DominantReading dominantGroup;
    std::vector<TreeReading> groups;          // each chosen group's summed uptake, likewise
    std::optional<ComparedReading> compared;  // with a compared plot, where a cell holds the point
    bool hasStem = false;
    wxString stem;
    double stemDistance = 0.0;
};

class PointReadout {
  public:
    // Reads what it needs of the open plot, which must outlive it.
    explicit PointReadout(PlotFile& plot);

    // The trees whose own uptake each reading gives, in this order. A tree's
    // index table is built here when it is not there yet and the plot makes
    // trees on demand. Call again when a tree's set has been made since.
    void SetTrees(const std::vector<wxString>& labels);
    // The groups of trees whose summed uptake each reading gives, as far
    // as the plot has gathered them.
    void SetGroups(const std::vector<wxString>& names) { groupNames = names; }

    // The plot compared with the open one (not owned), or null.
    void SetComparison(PlotComparison* value) { comparison = value; }

    PointReading Read(double x, double y);

  private:
    struct Cell {
        bool found = false;
        double x = 0.0;
        double y = 0.0;
        double value = 0.0;
    };
    // Where one set's cells are read: in memory, else in its index table
    // (none when both are empty).
    struct Cells {
        const IndexCells* held = nullptr;
        std::string table;
    };
    Cells CellsOf(IndexedGridData* data);
    // The cell of a set whose square holds (x, y):
    // x_coord <= x < x_coord + cell size, and the same for y.
    Cell CellAt(const Cells& cells, double x, double y);
    Cell CellInTable(const std::string& table, double x, double y);
    ComparedReading ReadCompared(double cellX, double cellY);
    // The value of another set in the cell that holds (x, y), 0 where that
    // set has no such cell.
    double ValueInCell(const Cells& cells, double x, double y, const Cell& holder);
    // What the derived sets hold in the cell of (x, y).
    void ReadDerived(double x, double y, const Cell& holder, PointReading& reading);

    PlotFile& plot;
    PlotComparison* comparison = nullptr;
    Database database;
    std::string xColumn = "x_coord";
    std::string yColumn = "y_coord";
    double cellSize = 0.0;
    Cells uptakeCells;
    Cells countCells;
    std::vector<wxString> treeLabels;
    std::vector<Cells> treeCells;
    std::vector<wxString> groupNames;
    std::vector<StemPosition> stems;
};

// The reading as the lines of `quenvar --at`: tab-separated, numbers with
// "%g"; the dominant tree and group, and the groups, as far as gathered.
std::string ReadingText(const PointReading& reading);

// The classes a reading's values fall into, for the families whose class
// rule is one of its own (not equal steps); null for the others.
struct ReadingClasses {
    std::shared_ptr<const Classifier> uptake;
    std::shared_ptr<const Classifier> count;
    std::map<wxString, std::shared_ptr<const Classifier>> trees;
};
ReadingClasses ClassesForReading(PlotFile& plot, const std::vector<wxString>& trees,
                                 const PictureStyle& style);
// " (class 2 of 5)" of a value under classes of their own; empty without.
wxString ClassText(const Classifier* classes, double value);
