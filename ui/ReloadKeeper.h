// What a Reload keeps of the window while the plot is opened again: the
// view, the selected trees with their colours, and the inspector's tree.
// They are given back where they still exist in the file as it is now.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

#include <map>
#include <optional>
#include <vector>

#include "data/PlotRect.h"

class RenderHelper;
class StemSelection;

class ReloadKeeper {
  public:
    // Takes what the window shows of the open plot.
    void Keep(const RenderHelper& helper, const StemSelection& selection);
    // Nothing is kept: the next opening shows its file afresh.
    void Forget() { kept.reset(); }

    // The view kept, if any.
    std::optional<PlotRect> View() const;
    // The selected trees kept, in selection order; empty when nothing is kept.
    std::vector<wxString> Stems() const;

    // Gives back what exists in the newly opened plot, then forgets it all.
    void Restore(RenderHelper& helper, StemSelection& selection);

  private:
    struct Kept {
        PlotRect view;
        std::vector<wxString> stems;  // highlighted, in selection order
        wxString inspected;
        std::map<wxString, wxColour> colors;
    };
    std::optional<Kept> kept;
};
