// A plot file made from two delimited text files, as a root model, a
// spreadsheet or R writes them: the grid table, wide (one column per tree) or
// long (one row per cell and tree), and the stem table.
#pragma once

#include <string>
#include <vector>

class ProgressMonitor;

// What an import is asked to make.
struct ImportRequest {
    std::string gridPath;
    std::string stemsPath;
    std::string outputPath;
    bool overwrite = false;  // --force: replace an existing output file
};

struct StemColumn {
    std::string name;
    bool numeric = false;  // stored as REAL, a missing value as -1; otherwise as text
    std::vector<double> numbers;
    std::vector<std::string> texts;
};

// Both tables as they will be stored, checked.
struct PlotTables {
    std::vector<std::string> trees;  // the grid's value columns, in order
    std::vector<long long> cellIds;
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> uptake;         // cell by cell, one value per tree
    std::vector<StemColumn> stems;      // Tree, Xrot0 and Yrot0 first, then the file's others
    std::vector<std::string> warnings;  // what was accepted but looks wrong
};

// Reads and checks both files. False with one line in error naming the
// file, the line and the field of the first problem.
bool ReadPlotTables(const std::string& gridPath, const std::string& stemsPath, PlotTables& tables,
                    std::string& error);

struct ImportOutcome {
    bool written = false;
    std::string error;  // one line when nothing was written
    std::vector<std::string> warnings;
    size_t cells = 0;  // what the written file holds
    size_t trees = 0;
    size_t stems = 0;
};

// The whole import. The plot is written to a temporary file beside the
// output and takes its name only when complete, so that a failure leaves
// nothing behind and an existing file is never half replaced. The monitor,
// when given, is told each stage.
ImportOutcome ImportPlot(const ImportRequest& request, ProgressMonitor* monitor = nullptr);
