// The colour legend beside the map: what the colours and dots of the ticked
// value layers stand for. The main window hands it the legend to show.
#pragma once

#include <wx/scrolwin.h>

#include <vector>

#include "render/Legend.h"

class LegendPanel : public wxScrolledWindow {
  public:
    explicit LegendPanel(wxWindow* parent);

    // Repaints only when the legend differs from the one shown.
    void SetSections(const std::vector<LegendSection>& sections);
    const std::vector<LegendSection>& GetSections() const { return sections; }

  private:
    // What the panel shows: the sections, or a word on why there are none.
    std::vector<LegendSection> Shown() const;
    void OnPaint(wxPaintEvent& event);

    std::vector<LegendSection> sections;

    wxDECLARE_EVENT_TABLE();
};
