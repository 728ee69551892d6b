#include "ui/RangePrefs.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/NumberText.h"
#include "base/Text.h"
#include "render/ColorSettings.h"

namespace {

// The rows in RangeFamily order.
const char* const kFamilyLabels[kRangeFamilyCount] = {
    "Total uptake", "Tree count",  "Single trees",   "Uptake change",
    "Count change", "Tree change", "Groups of trees"};
enum ModeEntry { MODE_FROM_DATA, MODE_FIXED };

// The shortest text that reads back as the number, with '.' in any locale.
wxString NumberText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return wxString::FromUTF8(text, size_t(result.ptr - text));
}

std::optional<double> FieldNumber(const wxTextCtrl* field) {
    return ParseNumber(Utf8(field->GetValue().Strip(wxString::both)));
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(RangePrefs, wxPanel)
    EVT_CHOICE(wxID_ANY, RangePrefs::OnModeChoice)
wxEND_EVENT_TABLE();
// clang-format on

RangePrefs::RangePrefs(wxWindow* parent, ColorSettings& settings)
    : wxPanel(parent, wxID_ANY), settings(settings) {
    wxStaticBoxSizer* group = new wxStaticBoxSizer(wxVERTICAL, this, "Value Range");
    wxFlexGridSizer* grid = new wxFlexGridSizer(6, 5, 5);
    const wxString modes[] = {"From the data", "Fixed"};
    const wxString rules[] = {"Equal steps", "Quantiles", "Logarithmic"};
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        wxWindow* box = group->GetStaticBox();
        RangeRow& row = rows[family];
        row.mode = new wxChoice(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, modes);
        row.minField = new wxTextCtrl(box, wxID_ANY);
        row.maxField = new wxTextCtrl(box, wxID_ANY);
        row.rule = new wxChoice(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, rules);
        row.rule->SetSelection(int(settings.GetClassRule(static_cast<RangeFamily>(family))));
        const std::optional<ValueRange> range =
            settings.GetValueRange(static_cast<RangeFamily>(family));
        row.mode->SetSelection(range ? MODE_FIXED : MODE_FROM_DATA);
        if (range) {
            row.minField->SetValue(NumberText(range->min));
            row.maxField->SetValue(NumberText(range->max));
        }
        grid->Add(new wxStaticText(box, wxID_ANY, kFamilyLabels[family]), 0,
                  wxALIGN_CENTER_VERTICAL);
        grid->Add(row.mode);
        grid->Add(row.minField);
        grid->Add(new wxStaticText(box, wxID_ANY, "to"), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(row.maxField);
        grid->Add(row.rule);
    }
    group->Add(grid, 0, wxALL, 5);
    SetSizer(group);
    UpdateEnabling();
}

void RangePrefs::OnModeChoice(wxCommandEvent&) {
    UpdateEnabling();
}

void RangePrefs::UpdateEnabling() {
    for (RangeRow& row : rows) {
        const bool fixed = row.mode->GetSelection() == MODE_FIXED;
        row.minField->Enable(fixed);
        row.maxField->Enable(fixed);
    }
}

bool RangePrefs::ReadRanges(Ranges& ranges, wxString& problem) const {
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        const RangeRow& row = rows[family];
        ranges[family].reset();
        if (row.mode->GetSelection() != MODE_FIXED) {
            continue;
        }
        const std::optional<double> low = FieldNumber(row.minField);
        const std::optional<double> high = FieldNumber(row.maxField);
        if (!low || !high || !(*low < *high)) {
            problem = wxString::Format(
                "The fixed value range of \"%s\" needs two numbers, the minimum below the "
                "maximum.",
                kFamilyLabels[family]);
            return false;
        }
        const bool change = IsChangeFamily(static_cast<RangeFamily>(family));
        if (change && *low != -*high) {
            problem = wxString::Format(
                "The fixed value range of \"%s\" must be symmetric about 0, as -%g to %g.",
                kFamilyLabels[family], std::max(std::fabs(*low), std::fabs(*high)),
                std::max(std::fabs(*low), std::fabs(*high)));
            return false;
        }
        if (!change && row.rule->GetSelection() == int(ClassRule::Log) && !(*low > 0.0)) {
            problem =
                wxString::Format("Logarithmic classes of \"%s\" need a fixed value range above 0.",
                                 kFamilyLabels[family]);
            return false;
        }
        ranges[family] = ValueRange{*low, *high};
    }
    return true;
}

void RangePrefs::ApplyToSettings(const Ranges& ranges) {
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        settings.SetValueRange(static_cast<RangeFamily>(family), ranges[family]);
        settings.SetClassRule(static_cast<RangeFamily>(family),
                              static_cast<ClassRule>(rows[family].rule->GetSelection()));
    }
}
