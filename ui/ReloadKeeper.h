// What a Reload keeps of the open plot while it is opened again: the view,
// the selected stems, the trees' colours, the inspected stem and the
// grouping of the trees with its selected groups. They are
// given back where they still exist in the file as it is now.
#pragma once

#include <wx/string.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/PlotRect.h"

class PlotSession;
class TreeColors;

class ReloadKeeper {
  public:
    // Takes what the session shows of its open plot.
    void Keep(const PlotSession& session);
    // Nothing is kept: the next opening shows its file afresh.
    void Forget() { kept.reset(); }

    // The view kept, if any.
    std::optional<PlotRect> View() const;
    // The selected stems kept, in selection order; empty when nothing is kept.
    std::vector<wxString> Stems() const;
    // The trees' colours kept; null when nothing is kept.
    std::shared_ptr<TreeColors> Colors() const;
    // The grouping of the trees kept, and its selected groups; empty when none.
    std::string GroupColumn() const;
    std::vector<wxString> Groups() const;

    // Selects and inspects what exists in the newly opened plot, then forgets it all.
    void Restore(PlotSession& session);

  private:
    struct Kept {
        PlotRect view;
        std::vector<wxString> stems;  // selected, in selection order
        wxString inspected;
        std::shared_ptr<TreeColors> colors;
        std::string groupColumn;
        std::vector<wxString> groups;
    };
    std::optional<Kept> kept;
};
