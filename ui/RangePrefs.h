// The "Value Range" group of the preferences: for the total uptake, the tree
// count and the single trees, whether the colour scale spans the data's own
// range ("From the data") or a fixed one typed in ("Fixed"), and how the
// values fall into its colours ("Equal steps", "Quantiles", "Logarithmic").
#pragma once

#include <wx/panel.h>

#include <array>
#include <optional>

#include "render/ValueRange.h"

class ColorSettings;
class wxChoice;
class wxTextCtrl;

class RangePrefs : public wxPanel {
  public:
    // Loads the rows from the settings, which must outlive the panel.
    RangePrefs(wxWindow* parent, ColorSettings& settings);

    using Ranges = std::array<std::optional<ValueRange>, kRangeFamilyCount>;
    // The ranges the rows give; false with the reason in problem when a
    // fixed row lacks two numbers with the minimum below the maximum, or
    // starts at or below 0 for logarithmic classes.
    bool ReadRanges(Ranges& ranges, wxString& problem) const;
    // Writes what ReadRanges gives, and the rows' class rules, into the settings.
    void ApplyToSettings(const Ranges& ranges);

    wxChoice* GetModeChoice(RangeFamily family) const { return Row(family).mode; }
    wxTextCtrl* GetMinField(RangeFamily family) const { return Row(family).minField; }
    wxTextCtrl* GetMaxField(RangeFamily family) const { return Row(family).maxField; }
    wxChoice* GetRuleChoice(RangeFamily family) const { return Row(family).rule; }

  private:
    struct RangeRow {
        wxChoice* mode = nullptr;
        wxTextCtrl* minField = nullptr;
        wxTextCtrl* maxField = nullptr;
        wxChoice* rule = nullptr;  // in ClassRule order
    };
    const RangeRow& Row(RangeFamily family) const { return rows[static_cast<size_t>(family)]; }

    void OnModeChoice(wxCommandEvent& event);
    void UpdateEnabling();

    ColorSettings& settings;
    std::array<RangeRow, kRangeFamilyCount> rows;

    wxDECLARE_EVENT_TABLE();
};
