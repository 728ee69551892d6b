#include "ui/StemSelection.h"

#include <wx/listbox.h>

#include <algorithm>

#include "ui/PlotSession.h"

void StemSelection::Refill() {
    list->Clear();
    if (!session.IsOpen()) {
        return;
    }
    for (const wxString& name : session.GetPlot().GetTreeNames()) {
        list->Append(name);
    }
}

void StemSelection::ShowSelection() {
    const std::vector<int> rows = GetRows();
    for (int row = 0; row < int(list->GetCount()); ++row) {
        const bool selected = std::find(rows.begin(), rows.end(), row) != rows.end();
        if (list->IsSelected(row) != selected) {
            selected ? list->SetSelection(row, true) : list->Deselect(row);
        }
    }
}

// GTK may change many rows at once (a range, Ctrl+A, a plain click that
// replaces the selection) and report one of them.
void StemSelection::FollowList(int lastRow) {
    // Read before the session changes: each change shows the session's
    // selection in the list again.
    const std::vector<int> rows = GetRows();
    wxArrayInt shown;
    list->GetSelections(shown);
    std::vector<wxString> dropped;
    for (int row : rows) {
        if (!list->IsSelected(row)) {
            dropped.push_back(list->GetString(row));
        }
    }
    for (const wxString& stem : dropped) {
        session.Deselect(stem);
    }
    std::stable_partition(shown.begin(), shown.end(),
                          [lastRow](int row) { return row != lastRow; });
    for (int row : shown) {
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) {
            session.Select(list->GetString(row));
        }
    }
}

std::vector<int> StemSelection::GetRows() const {
    std::vector<int> rows;
    for (const wxString& stem : session.GetSelected()) {
        const int row = RowOf(stem);
        // A stem without a row in the list is highlighted, but has no row.
        if (row != wxNOT_FOUND && std::find(rows.begin(), rows.end(), row) == rows.end()) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<wxString> StemSelection::GetRowStems() const {
    std::vector<wxString> stems;
    for (int row : GetRows()) {
        stems.push_back(list->GetString(row));
    }
    return stems;
}

int StemSelection::RowOf(const wxString& stem) const {
    return list->FindString(stem, false);
}
