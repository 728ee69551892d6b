#include "cli/AtCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/Text.h"
#include "cli/CommandPlot.h"
#include "data/PlotComparison.h"
#include "data/PlotFile.h"
#include "db/PlotLabels.h"
#include "render/PointReadout.h"

namespace {

// Who takes up most in the cell, and the groups' sums, from one pass over
// grid; false, and said, when the plot cannot give them.
bool ReadDerived(PlotFile& plot, const AtRequest& request) {
    std::string error;
    if (!ApplyGrouping(plot, request.groupBy, request.groups, error)) {
        ReportToUser(error);
        return false;
    }
    DerivedNeeds needs;
    needs.dominantTrees = true;
    needs.dominantGroups = !request.groupBy.empty();
    needs.groups = request.groups;
    if (!plot.MakeDerived(needs)) {
        ReportToUser(Utf8(plot.GetDerivedProblem()));
        return false;
    }
    return true;
}

}  // namespace

int RunAtCommand(const AtRequest& request) {
    std::string error;
    if (!CheckPlotRequest(request.databasePath, request.stems, error)) {
        ReportToUser(error);
        return 2;
    }
    const std::unique_ptr<PlotFile> plot = OpenPlotToRead(request.databasePath);
    if (!plot) {
        return 2;
    }
    if (!ReadDerived(*plot, request)) {
        return 2;
    }
    std::unique_ptr<PlotFile> other;
    std::unique_ptr<PlotComparison> comparison;
    if (!request.comparePath.empty()) {
        other = OpenPlotToRead(request.comparePath);
        if (!other) {
            return 2;
        }
        comparison = PlotComparison::Make(*plot, *other, error);
        if (!comparison) {
            ReportToUser(error);
            return 2;
        }
    }
    PointReadout readout(*plot);
    readout.SetComparison(comparison.get());
    std::vector<wxString> trees;
    for (const std::string& stem : request.stems) {
        trees.push_back(wxString::FromUTF8(stem.c_str()));
    }
    readout.SetTrees(trees);
    std::vector<wxString> groups;
    for (const std::string& group : request.groups) {
        groups.push_back(wxString::FromUTF8(group.c_str()));
    }
    readout.SetGroups(groups);
    const std::string text = ReadingText(readout.Read(request.x, request.y));
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}
