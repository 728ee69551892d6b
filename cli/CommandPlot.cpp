#include "cli/CommandPlot.h"

#include <cstdio>

#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "data/PlotFile.h"

void ReportToUser(const std::string& message) {
    std::fprintf(stderr, "quenvar: %s\n", message.c_str());
}

std::unique_ptr<PlotFile> OpenPlotToRead(const std::string& path) {
    auto plot = std::make_unique<PlotFile>(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    const PlotOpening& opening = plot->GetOpening();
    if (!opening.IsOpen()) {
        ReportToUser(Utf8(opening.problem));
        return nullptr;
    }
    if (opening.status == PlotOpening::Status::Partial) {
        // As in the export: what the layers cannot show, the reading lacks too.
        ReportToUser("warning: " + Utf8(opening.problem));
    }
    for (const std::string& note : plot->GetDataWarnings()) {
        ReportToUser("warning: " + note);
    }
    // No picture waits for them here.
    plot->FinishLookupIndexes();
    return plot;
}
