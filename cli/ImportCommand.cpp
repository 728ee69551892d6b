#include "cli/ImportCommand.h"

#include <cstdio>

#include "data/PlotImport.h"

int RunImportCommand(const ImportRequest& request) {
    const ImportOutcome outcome = ImportPlot(request);
    for (const std::string& warning : outcome.warnings) {
        std::fprintf(stderr, "quenvar: warning: %s\n", warning.c_str());
    }
    if (!outcome.written) {
        std::fprintf(stderr, "quenvar: %s\n", outcome.error.c_str());
        return 2;
    }
    std::printf("%s: %zu cells, %zu trees, %zu stems\n", request.outputPath.c_str(), outcome.cells,
                outcome.trees, outcome.stems);
    return 0;
}
