#include "cli/GridCommand.h"

#include <memory>
#include <vector>

#include "base/PendingFile.h"
#include "base/Text.h"
#include "cli/CommandPlot.h"
#include "cli/CoordinateSystem.h"
#include "cli/GridFormats.h"
#include "cli/StatsCommand.h"
#include "data/PlotComparison.h"
#include "data/PlotFile.h"
#include "db/PlotLabels.h"

const char* const kGridUsage =
    "quenvar grid FILE.db --layer KEY [--tree LABEL] [--group-by COLUMN [--group NAME]] "
    "[--compare OTHER.db] [--crs EPSG:N] --output OUT.tif|OUT.asc|OUT.csv [--log-dir DIR]";

namespace {

// Everything that can be told before the plot is opened.
bool CheckRequest(const GridRequest& request, std::optional<ProjectedCrs>& crs,
                  std::string& error) {
    const std::string& path = request.databasePath;
    std::vector<std::string> labels;
    if (!request.layer.tree.empty()) {
        labels.push_back(request.layer.tree);
    }
    const std::string& other = request.comparePath;
    if (!CheckGridOutput(request.outputPath, request.crs.has_value(), error) ||
        !CheckPlotRequest(path, other.empty() ? labels : std::vector<std::string>{}, error) ||
        (!other.empty() && !CheckPlotRequest(other, {}, error)) ||
        !CheckOutputPath(request.outputPath, "the grid", "the database file", {path, other},
                         error)) {
        return false;
    }
    if (request.crs) {
        crs.emplace();
        return LookUpCrs(*request.crs, *crs, error);
    }
    return true;
}

// OUT.labels.csv beside OUT.tif: what each number of a class grid stands for.
std::string LabelsPath(const std::string& output) {
    const size_t dot = output.find_last_of('.');
    const size_t slash = output.find_last_of('/');
    const bool ending = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (ending ? output.substr(0, dot) : output) + ".labels.csv";
}

bool WriteClassLabels(const std::string& path, const std::vector<std::string>& labels,
                      std::string& error) {
    std::string text = "value,label\n";
    for (size_t i = 0; i < labels.size(); ++i) {
        text += std::to_string(i + 1) + "," + LabelField(labels[i]) + "\n";
    }
    PendingFile file(path);
    return file.Create(error) && file.Write(text.data(), text.size(), error) &&
           file.Publish(true, error);
}

}  // namespace

int RunGridCommand(const GridRequest& request) {
    std::string error;
    std::optional<ProjectedCrs> crs;
    if (!CheckRequest(request, crs, error)) {
        ReportToUser(error);
        return 2;
    }
    const std::unique_ptr<PlotFile> plot = OpenPlotToRead(request.databasePath);
    if (!plot) {
        return 2;
    }
    std::unique_ptr<PlotFile> other;
    std::unique_ptr<PlotComparison> comparison;
    if (!request.comparePath.empty()) {
        other = OpenPlotToRead(request.comparePath);
        comparison = other ? PlotComparison::Make(*plot, *other, error) : nullptr;
        if (!comparison) {
            ReportToUser(error);
            return 2;
        }
    }
    ValueGrid grid;
    std::vector<std::string> labels;
    if (!MakeValueGrid(*plot, request.layer, grid, error, comparison.get(), &labels)) {
        ReportToUser(Quoted(request.databasePath) + ": " + error);
        return 2;
    }
    const std::string warning = ProjectionWarning(request.outputPath, crs.has_value());
    if (!warning.empty()) {
        ReportToUser("warning: " + warning);
    }
    if (!WriteGridFile(request.outputPath, grid, crs ? &*crs : nullptr, error) ||
        (!labels.empty() && !WriteClassLabels(LabelsPath(request.outputPath), labels, error))) {
        ReportToUser(error);
        return 2;
    }
    return 0;
}
