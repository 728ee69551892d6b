// The grid and stem tables of a plot read from two delimited text files, as
// a root model, a spreadsheet or R writes them: the grid wide (one column
// per tree) or long (one row per cell and tree), and the stems.
#pragma once

#include <string>
#include <vector>

// The columns the import looks for, named as the plot file names them.
inline constexpr char kCellIdColumn[] = "gridcell_id";
inline constexpr char kXColumn[] = "x_coord";
inline constexpr char kYColumn[] = "y_coord";
inline constexpr char kTreeColumn[] = "Tree";
inline constexpr char kUptakeColumn[] = "uptake";
inline constexpr char kStemXColumn[] = "Xrot0";
inline constexpr char kStemYColumn[] = "Yrot0";

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
