#include "ui/LayerColumn.h"

#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <algorithm>

#include "ui/StemList.h"

LayerColumn::LayerColumn(wxWindow* parent, wxMenu* groupMenu, PlotSession& session,
                         std::function<void()> groupsChanged, TreeGrouping::Inform inform)
    : panel(new wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxVSCROLL | wxTAB_TRAVERSAL | wxNO_BORDER)),
      boxes(std::make_unique<LayerBoxes>(panel)) {
    wxStaticBox* stemsBox = new wxStaticBox(panel, wxID_ANY, "Available Stems");
    stemList = new StemList(panel);
    grouping = std::make_unique<TreeGrouping>(
        panel, groupMenu, session, *boxes,
        [this, groupsChanged] {
            Fit();
            groupsChanged();
        },
        std::move(inform));
    wxStaticBoxSizer* stemsSizer = new wxStaticBoxSizer(stemsBox, wxVERTICAL);
    stemsSizer->SetMinSize(-1, 100);
    // The list fills what room there is, and scrolls its own rows; on a low
    // window the column scrolls down to it.
    stemList->SetMinSize(wxSize(-1, 60));
    stemsSizer->Add(stemList, 1, wxEXPAND);

    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    column->SetMinSize(100, -1);
    column->Add(boxes->GetPlotSizer(), 0, wxEXPAND);
    column->Add(boxes->GetTreeSizer(), 0, wxEXPAND);
    column->Add(stemsSizer, 1, wxEXPAND);
    column->Add(grouping->GetSizer(), 0, wxEXPAND);
    panel->SetSizer(column);
    panel->SetScrollRate(0, 10);
    Refill();
}

void LayerColumn::Refill() {
    grouping->Refill();
    Fit();
}

LayerColumn::~LayerColumn() = default;

wxWindow* LayerColumn::GetWindow() const {
    return panel;
}

void LayerColumn::Fit() {
    // Room for the scroll bar, so that no box is ever cut at the right.
    const int bar = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, panel);
    panel->SetMinSize(wxSize(panel->GetSizer()->GetMinSize().x + std::max(bar, 0), -1));
    panel->FitInside();
    panel->GetParent()->Layout();
}

int LayerColumn::ContentHeight() const {
    return panel->GetSizer()->GetMinSize().y;
}
