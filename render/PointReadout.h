// What the map holds at one plot point: the grid cell there with its total
// uptake and tree count as the index tables hold them, each chosen tree's own
// uptake in that cell as its layers draw it, and the nearest stem. Every
// reading looks its cells up through the index tables' indexes and searches
// stems kept in memory, so that it can follow the pointer.
#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

#include "data/PlotFile.h"
#include "db/Database.h"

struct TreeReading {
    wxString label;
    double uptake = 0.0;  // 0 where the tree takes up nothing
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
    bool hasStem = false;
    wxString stem;
    double stemDistance = 0.0;
};

class PointReadout {
  public:
    // Reads what it needs of the open plot, which must outlive it.
    explicit PointReadout(PlotFile& plot);

    // The trees whose own uptake each reading gives, in this order. A tree's
    // index table is built here when it is not there yet.
    void SetTrees(const std::vector<wxString>& labels);

    PointReading Read(double x, double y);

  private:
    struct Cell {
        bool found = false;
        double x = 0.0;
        double y = 0.0;
        double value = 0.0;
    };
    // The cell of an index table whose square holds (x, y):
    // x_coord <= x < x_coord + cell size, and the same for y.
    Cell CellAt(const std::string& table, double x, double y);
    // The value of another index table in the cell that holds (x, y), 0 where
    // that table has no such cell.
    double ValueInCell(const std::string& table, double x, double y, const Cell& holder);

    PlotFile& plot;
    Database database;
    std::string xColumn = "x_coord";
    std::string yColumn = "y_coord";
    double cellSize = 0.0;
    std::string uptakeTable;
    std::string countTable;
    std::vector<wxString> treeLabels;
    std::vector<std::string> treeTables;
    std::vector<StemPosition> stems;
};

// The reading as the lines of `quenvar --at`: tab-separated, numbers with "%g".
std::string ReadingText(const PointReading& reading);
