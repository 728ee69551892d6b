// Program entry. The command line decides between the viewer window, the
// batch export, the import, the reading of a point, the tree statistics and
// the value grids.
// Only the window starts the toolkit's windowing: every other mode, and help,
// version and mistakes on the command line, are answered without it, so they
// need no display.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/VizApp.h"
#include "base/HugePages.h"
#include "base/Log.h"
#include "cli/AtCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "cli/GridCommand.h"
#include "cli/ImportCommand.h"
#include "cli/StatsCommand.h"
#include "db/PlotLabels.h"

wxIMPLEMENT_APP_NO_MAIN(VizApp);

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The window's toolkit opens an X display, or a Wayland one where it is given.
bool HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

// A command writes log files only into the folder --log-dir names: left to
// itself it would strew them in whatever folder it was run from.
bool ChooseCommandLogs(const CommandLine& line) {
    if (line.mode == CommandMode::Window || line.mode == CommandMode::Error) {
        return true;
    }
    if (!line.logFolder) {
        LogToNoFiles();
        return true;
    }
    std::string error;
    if (!LogToFolder(*line.logFolder, error)) {
        std::fprintf(stderr, "quenvar: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!ChooseCommandLogs(line)) {
        return 2;
    }
    switch (line.mode) {
        case CommandMode::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandMode::Version:
            std::puts(VersionText().c_str());
            return 0;
        case CommandMode::Error:
            std::fprintf(stderr, "quenvar: %s\n", line.error.c_str());
            return 2;
        case CommandMode::Export:
            return RunExportCommand(line.request);
        case CommandMode::Import:
            return RunImportCommand(line.import);
        case CommandMode::At:
            return RunAtCommand(line.at);
        case CommandMode::Stats:
            return RunStatsCommand(line.stats);
        case CommandMode::Grid:
            return RunGridCommand(line.grid);
        case CommandMode::Window:
            break;
    }
    // Stems the file does not know are refused as the export refuses them.
    std::string error;
    if (!line.request.picture.stems.empty() &&
        !CheckPlotRequest(line.request.databasePath, line.request.picture.stems, error)) {
        std::fprintf(stderr, "quenvar: %s\n", error.c_str());
        return 2;
    }
    // Without one the toolkit would stop the program with a message of its own.
    if (!HasDisplay()) {
        std::fputs("quenvar: cannot open the window: no display (DISPLAY is not set)\n", stderr);
        return 2;
    }
    return wxEntry(argc, argv);
}
