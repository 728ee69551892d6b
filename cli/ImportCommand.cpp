#include "cli/ImportCommand.h"

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

bool WriteTables(PlotWriter& writer, const PlotTables& tables) {
    bool ok = writer.StartGrid(tables.trees);
    const size_t treeCount = tables.trees.size();
    for (size_t cell = 0; ok && cell < tables.xs.size(); ++cell) {
        ok = writer.AddCell(tables.cellIds[cell], tables.xs[cell], tables.ys[cell],
                            tables.uptake.data() + cell * treeCount);
    }
    std::vector<StemField> fields;
    for (const StemColumn& column : tables.stems) {
        fields.push_back({column.name, column.numeric ? StemType::Real : StemType::Text});
    }
    ok = ok && writer.StartStems(fields);
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

ImportOutcome ImportPlot(const ImportRequest& request, ProgressMonitor* monitor) {
    ImportOutcome outcome;
    PlotTables tables;
    Tell(monitor, "Reading the grid and stem tables...");
    if (!CheckOutput(request, outcome.error) ||
        !ReadPlotTables(request.gridPath, request.stemsPath, tables, outcome.error)) {
        return outcome;
    }
    outcome.warnings = tables.warnings;
    Tell(monitor, "Writing the plot file...");
    PendingFile file(request.outputPath);
    if (!file.Create(outcome.error)) {
        return outcome;
    }
    PlotWriter writer(file.TemporaryPath());
    if (!writer.IsOpen() || !WriteTables(writer, tables)) {
        outcome.error = "cannot write " + Quoted(request.outputPath) + ": " + writer.Error();
        return outcome;
    }
    writer.Close();
    outcome.written = file.Publish(request.overwrite, outcome.error);
    outcome.cells = tables.xs.size();
    outcome.trees = tables.trees.size();
    outcome.stems = tables.stems[0].texts.size();
    return outcome;
}

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
