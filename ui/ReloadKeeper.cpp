#include "ui/ReloadKeeper.h"

#include <algorithm>

#include "render/RenderHelper.h"
#include "ui/StemSelection.h"

namespace {

bool StemExists(RenderHelper& helper, const wxString& stem) {
    if (stem.empty()) {
        return false;
    }
    const std::vector<wxString> trees = helper.GetTreeNames();
    if (std::find(trees.begin(), trees.end(), stem) != trees.end()) {
        return true;
    }
    const std::vector<StemPosition> stems = helper.GetPlot().GetStemPositions();
    return std::any_of(stems.begin(), stems.end(),
                       [&stem](const StemPosition& position) { return position.label == stem; });
}

}  // namespace

void ReloadKeeper::Keep(const RenderHelper& helper, const StemSelection& selection) {
    kept = Kept{helper.GetView(), helper.GetHighlightedStems(), selection.GetCurrentStem(),
                helper.GetStemColors()};
}

std::optional<PlotRect> ReloadKeeper::View() const {
    return kept ? std::optional<PlotRect>(kept->view) : std::nullopt;
}

std::vector<wxString> ReloadKeeper::Stems() const {
    return kept ? kept->stems : std::vector<wxString>();
}

void ReloadKeeper::Restore(RenderHelper& helper, StemSelection& selection) {
    if (!kept) {
        return;
    }
    // Before anything asks for a colour: a tree keeps the one it was drawn in.
    for (const auto& [stem, color] : kept->colors) {
        helper.SetStemColor(stem, color);
    }
    for (const wxString& stem : kept->stems) {
        if (StemExists(helper, stem)) {
            selection.Select(helper, stem);
        }
    }
    selection.Inspect(helper, StemExists(helper, kept->inspected) ? kept->inspected : wxString());
    kept.reset();
}
