#include "ui/StemSelection.h"

#include <wx/listbox.h>

#include <algorithm>

#include "base/Log.h"
#include "render/RenderHelper.h"
#include "ui/InspectWindow.h"

void StemSelection::Refill(RenderHelper* helper) {
    list->Clear();
    rows.clear();
    if (!helper) {
        return;
    }
    for (const wxString& name : helper->GetTreeNames()) {
        list->Append(name);
    }
}

void StemSelection::Select(RenderHelper& helper, const wxString& stem) {
    Log(LOG_RUN, "Stem selected: %s", stem.utf8_str().data());
    Inspect(helper, stem);
    helper.AddHighlightedStem(stem);
    const int row = RowOf(stem);
    // A stem without a row in the list is highlighted and inspected, but no
    // row is recorded for it; a row selected again keeps its first place.
    if (row != wxNOT_FOUND) {
        if (!list->IsSelected(row)) {
            list->SetSelection(row, true);
        }
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) {
            rows.push_back(row);
        }
    }
}

void StemSelection::Inspect(RenderHelper& helper, const wxString& stem) {
    currentStem = stem;
    inspector->SetStem(stem);
    inspector->ClearInfo();
    if (stem.empty()) {
        return;
    }
    const std::vector<wxString> attributes = helper.GetStemAttributeNames();
    inspector->AddInfo("Stem ID", stem);
    for (const wxString& attribute : attributes) {
        inspector->AddInfo(attribute, wxString::Format("%f", helper.GetStemValue(stem, attribute)));
    }
}

void StemSelection::Deselect(RenderHelper& helper, const wxString& stem) {
    Log(LOG_RUN, "Stem deselected: %s", stem.utf8_str().data());
    if (stem == currentStem) {
        currentStem.clear();
        inspector->SetStem(wxEmptyString);
        inspector->ClearInfo();
    }
    helper.RemoveHighlightedStem(stem);
    const int row = RowOf(stem);
    if (row != wxNOT_FOUND) {
        if (list->IsSelected(row)) {
            list->Deselect(row);
        }
        rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
    }
}

// GTK may change many rows at once (a range, Ctrl+A, a plain click that
// replaces the selection) and report one of them.
void StemSelection::FollowList(RenderHelper& helper, int lastRow) {
    std::vector<wxString> dropped;
    for (int row : rows) {
        if (IsRow(row) && !list->IsSelected(row) &&
            std::find(dropped.begin(), dropped.end(), list->GetString(row)) == dropped.end()) {
            dropped.push_back(list->GetString(row));
        }
    }
    for (const wxString& stem : dropped) {
        Deselect(helper, stem);
    }
    wxArrayInt shown;
    list->GetSelections(shown);
    std::stable_partition(shown.begin(), shown.end(),
                          [lastRow](int row) { return row != lastRow; });
    for (int row : shown) {
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) {
            Select(helper, list->GetString(row));
        }
    }
}

void StemSelection::Clear(RenderHelper& helper) {
    for (const wxString& stem : GetRowStems()) {
        helper.RemoveHighlightedStem(stem);
    }
    // Stems picked without a list row are highlighted too; the overlay must end up empty.
    const std::vector<wxString> remaining = helper.GetHighlightedStems();
    for (const wxString& stem : remaining) {
        helper.RemoveHighlightedStem(stem);
    }
    list->DeselectAll();
    rows.clear();
}

std::vector<wxString> StemSelection::GetRowStems() const {
    std::vector<wxString> stems;
    for (int row : rows) {
        if (IsRow(row)) {
            stems.push_back(list->GetString(row));
        }
    }
    return stems;
}

int StemSelection::RowOf(const wxString& stem) const {
    return list->FindString(stem, false);
}

bool StemSelection::IsRow(int row) const {
    return row >= 0 && row < int(list->GetCount());
}
