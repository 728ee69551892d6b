// Program entry. The command line decides between the viewer window, the
// batch export, the import, the reading of a point and the tree statistics;
// help, version and mistakes on the command line are answered before the
// toolkit starts, so they need no display.
#include <cstdio>
#include <string>
#include <vector>

#include "app/VizApp.h"
#include "cli/AtCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "cli/StatsCommand.h"
#include "db/PlotLabels.h"

wxIMPLEMENT_APP_NO_MAIN(VizApp);

int main(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
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
            return RunExportCommand(argv[0], line.request);
        case CommandMode::Import:
            return RunImportCommand(line.import);
        case CommandMode::At:
            return RunAtCommand(line.at);
        case CommandMode::Stats:
            return RunStatsCommand(line.stats);
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
    return wxEntry(argc, argv);
}
