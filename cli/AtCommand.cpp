#include "cli/AtCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/Text.h"
#include "db/PlotLabels.h"
#include "render/PointReadout.h"
#include "render/RenderHelper.h"

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
    RenderHelper helper(wxString::FromUTF8(request.databasePath.c_str()), ProgressMonitor(0, 0));
    const std::string problem = Utf8(helper.GetOpenProblem());
    switch (helper.GetOpenStatus()) {
        case RenderHelper::OpenStatus::NoPlotData:
            Report(problem.empty() ? Quoted(request.databasePath) + " holds no plot data"
                                   : problem);
            return 2;
        case RenderHelper::OpenStatus::IndexFailed:
            // As in the export: what the layers cannot show, the reading lacks too.
            Report("warning: " + problem);
            break;
        case RenderHelper::OpenStatus::Loaded:
            break;
    }
    for (const std::string& note : helper.GetDataWarnings()) {
        Report("warning: " + note);
    }
    PointReadout readout(helper);
    std::vector<wxString> trees;
    for (const std::string& stem : request.stems) {
        trees.push_back(wxString::FromUTF8(stem.c_str()));
    }
    readout.SetTrees(trees);
    const std::string text = ReadingText(readout.Read(request.x, request.y));
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}
