#include "ui/ReloadKeeper.h"

#include <algorithm>

#include "ui/PlotSession.h"

namespace {

bool StemExists(PlotFile& plot, const wxString& stem) {
    if (stem.empty()) {
        return false;
    }
    const std::vector<wxString> trees = plot.GetTreeNames();
    if (std::find(trees.begin(), trees.end(), stem) != trees.end()) {
        return true;
    }
    const std::vector<StemPosition> stems = plot.GetStemPositions();
    return std::any_of(stems.begin(), stems.end(),
                       [&stem](const StemPosition& position) { return position.label == stem; });
}

}  // namespace

void ReloadKeeper::Keep(const PlotSession& session) {
    kept = Kept{session.GetView(),       session.GetSelected(),    session.GetInspected(),
                session.GetTreeColors(), session.GetGroupColumn(), session.GetSelectedGroups()};
}

std::optional<PlotRect> ReloadKeeper::View() const {
    return kept ? std::optional<PlotRect>(kept->view) : std::nullopt;
}

std::vector<wxString> ReloadKeeper::Stems() const {
    return kept ? kept->stems : std::vector<wxString>();
}

std::shared_ptr<TreeColors> ReloadKeeper::Colors() const {
    return kept ? kept->colors : nullptr;
}

std::string ReloadKeeper::GroupColumn() const {
    return kept ? kept->groupColumn : std::string();
}

std::vector<wxString> ReloadKeeper::Groups() const {
    return kept ? kept->groups : std::vector<wxString>();
}

void ReloadKeeper::Restore(PlotSession& session) {
    if (!kept) {
        return;
    }
    PlotFile& plot = session.GetPlot();
    for (const wxString& stem : kept->stems) {
        if (StemExists(plot, stem)) {
            session.Select(stem);
        }
    }
    session.Inspect(StemExists(plot, kept->inspected) ? kept->inspected : wxString());
    kept.reset();
}
