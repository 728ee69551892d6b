#include "cli/ImportCommand.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "base/PendingFile.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "data/PlotTables.h"
#include "data/PlotWriter.h"

namespace {

bool CheckOutput(const ImportRequest& request, std::string& error) {
    if (!CheckOutputPath(request.outputPath, "the plot", "its input file",
                         {request.gridPath, request.stemsPath}, error)) {
        return false;
    }
    std::error_code code;
    if (!request.overwrite && std::filesystem::exists(request.outputPath, code)) {
        error = Quoted(request.outputPath) + " exists already; give --force to replace it";
        return false;
    }
    return true;
}

// The stems follow the grid, which the reading has written already.
bool WriteStems(PlotWriter& writer, const PlotTables& tables) {
    std::vector<StemField> fields;
    for (const StemColumn& column : tables.stems) {
        fields.push_back({column.name, column.numeric ? StemType::Real : StemType::Text});
    }
    bool ok = writer.StartStems(fields);
    const size_t stemCount = tables.stems[0].texts.size();
    for (size_t row = 0; ok && row < stemCount; ++row) {
        for (size_t i = 0; i < tables.stems.size(); ++i) {
            const StemColumn& column = tables.stems[i];
            if (column.numeric) {
                writer.SetReal(int(i), column.numbers[row]);
            } else {
                writer.SetText(int(i), column.texts[row]);
            }
        }
        ok = writer.AddStem();
    }
    return ok && writer.Commit();
}

void Tell(ProgressMonitor* monitor, const char* message) {
    if (monitor) {
        monitor->SetMessage("%s", message);
    }
}

}  // namespace

ImportOutcome ImportPlot(const ImportRequest& request, ProgressMonitor* monitor,
                         const ImportProgress& progress) {
    ImportOutcome outcome;
    // A missing input is named before anything is made for the output.
    if (!CheckOutput(request, outcome.error) ||
        !CheckReadableFile(request.gridPath, outcome.error) ||
        !CheckReadableFile(request.stemsPath, outcome.error)) {
        return outcome;
    }
    Tell(monitor, "Importing the grid and stem tables...");
    PendingFile file(request.outputPath);
    if (!file.Create(outcome.error)) {
        return outcome;
    }
    const ReadProgress read = [&](uint64_t done, uint64_t total) {
        if (monitor) {
            monitor->SetTotal(double(total));
            monitor->SetProgress(double(done));
        }
        if (progress && total > 0) {
            progress(double(done) / double(total));
        }
    };
    PlotWriter writer(file.TemporaryPath());
    PlotTables tables;
    if (!writer.IsOpen() ||
        !ReadPlotTables(request.gridPath, request.stemsPath, writer, tables, outcome.error, read) ||
        !WriteStems(writer, tables)) {
        // A reading error names its place; otherwise writing failed.
        if (outcome.error.empty()) {
            outcome.error = "cannot write " + Quoted(request.outputPath) + ": " + writer.Error();
        }
        return outcome;
    }
    writer.Close();
    outcome.warnings = tables.warnings;
    outcome.written = file.Publish(request.overwrite, outcome.error);
    outcome.cells = tables.cells;
    outcome.trees = tables.trees.size();
    outcome.stems = tables.stems[0].texts.size();
    return outcome;
}

int RunImportCommand(const ImportRequest& request) {
    // On a terminal one line shows how much is read; in a pipe or a file, nothing.
    int shown = -1;
    ImportProgress progress;
    if (isatty(STDERR_FILENO)) {
        progress = [&shown](double share) {
            const int percent = int(share * 100);
            if (percent != shown) {
                shown = percent;
                std::fprintf(stderr, "\rquenvar: importing, %d%% read", percent);
                std::fflush(stderr);
            }
        };
    }
    const ImportOutcome outcome = ImportPlot(request, nullptr, progress);
    if (shown >= 0) {
        std::fputs("\r\033[K", stderr);  // the progress line goes before anything is said
    }
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
