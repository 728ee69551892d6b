// The import of a plot from delimited text: the command `quenvar import
// GRID STEMS OUT.db [--force]`, and the same import for the window's File >
// Import Delimited Text.
#pragma once

#include <functional>
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

struct ImportOutcome {
    bool written = false;
    std::string error;  // one line when nothing was written
    std::vector<std::string> warnings;
    size_t cells = 0;  // what the written file holds
    size_t trees = 0;
    size_t stems = 0;
};

// Told now and then the share (0 to 1) of both files read.
using ImportProgress = std::function<void(double share)>;

// The whole import. The grid goes into the plot file row by row as it is
// read; the plot is written to a temporary file beside the output and takes
// its name only when complete, so that a failure leaves nothing behind and
// an existing file is never half replaced. The monitor, when given, is told
// each stage and the bytes read of both files, as is the progress.
ImportOutcome ImportPlot(const ImportRequest& request, ProgressMonitor* monitor = nullptr,
                         const ImportProgress& progress = {});

// Imports, lists the warnings and any error on standard error, and says
// what was written on standard output; a terminal's standard error shows
// the progress on one line meanwhile. Returns the exit code: 0 when the
// plot file was written, 2 otherwise. Needs no display.
int RunImportCommand(const ImportRequest& request);
