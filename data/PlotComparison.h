// Two plots of one grid compared cell by cell: the open plot and another
// (another scenario, another year). Cells are matched by position, trees by
// label; a tree in only one plot counts 0 in the other. The differences,
// other minus open, are sets held in memory, so that the difference layers,
// their legend and the readout serve them as any other set.
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <string>

#include "data/CellGridData.h"
#include "data/PlotFile.h"

class PlotComparison {
  public:
    // Null, with the reason in error, when the plots' grids do not match:
    // every cell of either must lie at a cell of the other, within a
    // millionth of the cell size. Both plots must outlive the comparison.
    static std::unique_ptr<PlotComparison> Make(PlotFile& open, PlotFile& other,
                                                std::string& error);

    PlotFile& GetOpen() const { return open; }
    PlotFile& GetOther() const { return other; }
    // Other minus open, every cell of the grid.
    CellGridData* GetUptakeDiff() { return uptakeDiff.get(); }
    CellGridData* GetCountDiff() { return countDiff.get(); }
    // The same for one tree, made at its first need from both plots' sets;
    // null when neither plot draws the tree, or while a plot has not made
    // its set of the tree.
    CellGridData* GetTreeDiff(const wxString& tree);
    // The other plot's value of a set at the cell with the corner (x, y).
    double OtherValueAt(PlotSet set, double x, double y);
    double OtherTreeValueAt(const wxString& tree, double x, double y);

  private:
    PlotComparison(PlotFile& open, PlotFile& other) : open(open), other(other) {}

    PlotFile& open;
    PlotFile& other;
    double cellSize = 1.0;
    std::unique_ptr<CellGridData> uptakeDiff;
    std::unique_ptr<CellGridData> countDiff;
    std::unique_ptr<CellGridData> otherUptake;
    std::unique_ptr<CellGridData> otherCount;
    // Null for a tree neither plot draws.
    std::map<wxString, std::unique_ptr<CellGridData>> treeDiffs;
    std::map<wxString, std::unique_ptr<CellGridData>> otherTrees;
};
