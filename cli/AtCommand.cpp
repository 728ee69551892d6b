#include "cli/AtCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/Text.h"
#include "data/PlotFile.h"
#include "db/PlotLabels.h"
#include "render/PointReadout.h"

namespace {

void Report(const std::string& message) {
    std::fprintf(stderr, "quenvar: %s\n", message.c_str());
}

}  // namespace

int RunAtCommand(const AtRequest& request) {
    std::string error;
    if (!CheckPlotRequest(request.databasePath, request.stems, error)) {
        Report(error);
        return 2;
    }
    PlotFile plot(wxString::FromUTF8(request.databasePath.c_str()), ProgressMonitor(0, 0));
    const PlotOpening& opening = plot.GetOpening();
    if (!opening.IsOpen()) {
        Report(Utf8(opening.problem));
        return 2;
    }
    if (opening.status == PlotOpening::Status::Partial) {
        // As in the export: what the layers cannot show, the reading lacks too.
        Report("warning: " + Utf8(opening.problem));
    }
    for (const std::string& note : plot.GetDataWarnings()) {
        Report("warning: " + note);
    }
    PointReadout readout(plot);
    std::vector<wxString> trees;
    for (const std::string& stem : request.stems) {
        trees.push_back(wxString::FromUTF8(stem.c_str()));
    }
    readout.SetTrees(trees);
    const std::string text = ReadingText(readout.Read(request.x, request.y));
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}
