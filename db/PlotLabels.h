// The tree and stem labels of a plot file, read without writing to it, so
// that a request can be checked before the file is opened for real. A
// table that is missing or cannot be read gives no labels.
#pragma once

#include <string>
#include <vector>

struct PlotLabels {
    std::vector<std::string> treeNames;   // grid's columns from the fourth on, UTF-8
    std::vector<std::string> stemLabels;  // the Tree values of stem, UTF-8
};

PlotLabels ReadPlotLabels(const char* path);

// Whether a request naming these stems can be served from the file, known
// without writing to it (but for SQLite's rollback of a change a stopped
// program left unfinished): the file is a readable regular file, an SQLite
// database with a grid or a stem table that no other program keeps locked,
// and every stem is a tree or a stem of it. False with one line naming the
// problem in error.
bool CheckPlotRequest(const std::string& path, const std::vector<std::string>& stems,
                      std::string& error);
