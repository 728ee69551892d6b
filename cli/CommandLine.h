// The program's command line: the viewer window with an optional file, the
// batch export of a picture, the reading of a point, the import of delimited
// text, the tree statistics, a value grid, or help and version. Parsing is pure, so that it
// can run before the toolkit (and a display) is there.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/Version.h"
#include "cli/GridCommand.h"
#include "cli/ImportCommand.h"
#include "cli/StatsCommand.h"
#include "render/PictureRequest.h"

// What `quenvar --export` is asked to draw, and where.
struct ExportRequest {
    std::string outputPath;  // for a series, with {name} standing for each file's name
    std::string databasePath;
    PictureRequest picture;
    // A series: every file given, in order (databasePath is the first);
    // empty for one file.
    std::vector<std::string> series;
    int jobs = 0;  // -j: files drawn at once; 0 for as many as the machine has cores
};

// What `quenvar --at` is asked to read.
struct AtRequest {
    std::string databasePath;
    double x = 0.0;
    double y = 0.0;
    std::vector<std::string> stems;   // UTF-8 labels as given, without repeats
    std::string groupBy;              // the stem column that groups the trees; empty: none
    std::vector<std::string> groups;  // the groups whose summed uptake to read
    std::string comparePath;          // --compare: also read the plot there, and the change
};

enum class CommandMode { Window, Help, Version, Export, Import, At, Stats, Grid, Error };

struct CommandLine {
    CommandMode mode = CommandMode::Window;
    std::string startFile;  // Window: the file to open at start, if any
    ExportRequest request;  // Export; for Window the start file and, in request.picture,
                            // the layers, stems, view and colour scale to show first
    ImportRequest import;   // Import
    AtRequest at;           // At
    StatsRequest stats;     // Stats
    GridRequest grid;       // Grid
    // Export, Import, At, Stats, Grid: the folder --log-dir names for the log
    // files; none, and no log file is written.
    std::optional<std::string> logFolder;
    std::string error;  // Error: one line naming the problem
};

// The arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help, ending in a newline.
std::string UsageText();
// The numbers separated by commas, each the shortest text that reads back as it.
std::string NumberList(std::initializer_list<double> values);
// The --view value that gives exactly this view.
std::string ViewArgument(double xMin, double yMin, double xMax, double yMax);

// The text of --version, without a newline.
std::string VersionText();

// The largest picture side the export draws, in pixels: a picture of 4096 x
// 4096 with every layer needs about half a gigabyte while it is drawn.
constexpr int kMaxExportSide = 4096;
