#include "cli/CommandPlot.h"

#include <cstdio>

#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "data/PlotFile.h"

void ReportToUser(const std::string& message) {
    std::fprintf(stderr, "quenvar: %s\n", message.c_str());
}

bool ApplyGrouping(PlotFile& plot, const std::string& column,
                   const std::vector<std::string>& groups, std::string& error) {
    const std::string file = Quoted(Utf8(plot.GetPath()));
    if (column.empty()) {
        return true;
    }
    if (!plot.GroupTreesBy(column, error)) {
        error = file + ": " + error;
        return false;
    }
    const TreeGroups& grouped = *plot.GetTreeGroups();
    for (const std::string& group : groups) {
        if (grouped.Find(group) < 0) {
            std::string names;
            for (const std::string& name : grouped.names) {
                names += (names.empty() ? "" : ", ") + name;
            }
            error = file + ": the stem column " + Quoted(column) + " makes no group " +
                    Quoted(group) + " (its groups: " + (names.empty() ? "none" : names) + ")";
            return false;
        }
    }
    return true;
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
