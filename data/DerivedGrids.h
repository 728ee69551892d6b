// The grids an open plot derives from grid in memory, at their first need:
// the dominant tree of each cell, the trees' grouping by a stem column, the
// dominant group and each group's sum. What one picture needs is gathered
// in one pass over grid. Nothing of it is written into the file.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgressMonitor.h"
#include "data/HeldGridData.h"
#include "data/TreeGroups.h"
#include "db/Database.h"

// What a picture (or a reading) needs derived.
struct DerivedNeeds {
    bool dominantTrees = false;
    bool dominantGroups = false;
    std::vector<std::string> groups;  // whose sums, by name

    bool Any() const { return dominantTrees || dominantGroups || !groups.empty(); }
};

class DerivedGrids {
  public:
    // trees: the grid's trees in column order; cellSize: the plot's.
    DerivedGrids(Database database, std::vector<std::string> trees, double cellSize);

    // Groups the trees by a stem column from now on, letting go of what
    // was derived from another grouping; an empty column groups nothing.
    // False with one line in error, the grouping as it was.
    bool GroupBy(const StemAttributes& stems, const std::string& column, std::string& error);
    // Null without a grouping.
    const TreeGroups* GetGroups() const { return groups.get(); }

    // What of the needs is not made yet (groups the grouping lacks are left out).
    DerivedNeeds Missing(const DerivedNeeds& needs) const;
    // Makes what is missing of the needs in one pass over grid; false with
    // one line in error (the sets made before stay).
    bool Make(const DerivedNeeds& needs, std::string& error, ProgressMonitor* monitor = nullptr);

    // Null until made.
    HeldGridData* DominantTrees() { return dominantTrees.get(); }
    HeldGridData* DominantGroups() { return dominantGroups.get(); }
    HeldGridData* GroupGrid(const std::string& group);
    // The sets a grouping change let go of since the last call: nothing may
    // keep anything of them.
    std::vector<const GridData*> TakeDropped();

    // The tree or group a dominant set's tag names.
    const std::string& TreeOfTag(int tag) const { return trees[size_t(tag)]; }
    const std::string& GroupOfTag(int tag) const { return groups->names[size_t(tag)]; }
    const std::vector<std::string>& Trees() const { return trees; }

  private:
    void Drop(std::unique_ptr<HeldGridData>& set);

    Database database;
    std::vector<std::string> trees;
    double cellSize;
    std::unique_ptr<TreeGroups> groups;
    std::unique_ptr<HeldGridData> dominantTrees;
    std::unique_ptr<HeldGridData> dominantGroups;
    std::map<std::string, std::unique_ptr<HeldGridData>> groupGrids;
    std::vector<std::unique_ptr<HeldGridData>> dropped;
};
