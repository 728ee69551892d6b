// The value layers a grid file can hold, written once: the key that names
// one on the command line, what it holds, what it needs to be chosen, and
// how its cells are gathered from an open plot. The command line, its help,
// the window's Export Grid and every format read this table; a new layer
// (a group's sum, the dominant tree, a difference to another plot) is one
// more row, with its own gathering.
#pragma once

#include <string>
#include <vector>

#include "data/ValueGrid.h"

class PlotComparison;
class PlotFile;

// What a grid is asked to hold.
struct ValueLayerChoice {
    std::string key;      // "uptake"
    std::string tree;     // for a layer that needs a tree: its label, UTF-8
    std::string groupBy;  // for a layer of groups: the stem column that groups the trees
    std::string group;    // for a layer of one group: its name
};

// What a layer's cells are gathered from: the open plot, the choice, and
// for a difference the comparison with another plot (null without one).
struct ValueLayerInput {
    PlotFile& plot;
    const ValueLayerChoice& choice;
    PlotComparison* comparison;
};

// What a layer needs beyond its key, as bits.
enum ValueLayerNeeds : unsigned {
    kNeedsNothing = 0,
    kNeedsTree = 1,
    kNeedsComparison = 2,
    kNeedsGrouping = 4,
    kNeedsGroup = 8,
};

struct ValueLayerDef {
    const char* key;
    const char* label;        // its name in the window: "Total uptake"
    const char* description;  // what it holds, for --help
    unsigned needs;           // ValueLayerNeeds
    // Every grid cell with its value in the open plot; false with one line in error.
    bool (*gather)(const ValueLayerInput& input, std::vector<CellValue>& cells, std::string& error);
};

const std::vector<ValueLayerDef>& ValueLayerKeys();
// The layer of that key, or null.
const ValueLayerDef* FindValueLayer(const std::string& key);

// The chosen layer of the whole plot as a raster; false with one line in
// error (a plot without a grid, a layer whose index table could not be
// built, a tree without a grid column, an unevenly spaced grid).
// A difference layer (other minus open) needs the comparison of the plot.
// A class layer (the dominant tree or group) also gives the name of each
// number, from 1 (0: no tree takes up there) in labels.
bool MakeValueGrid(PlotFile& plot, const ValueLayerChoice& choice, ValueGrid& grid,
                   std::string& error, PlotComparison* comparison = nullptr,
                   std::vector<std::string>* labels = nullptr);
