#include "ui/MainLayout.h"

#include <wx/display.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>

#include <algorithm>

#include "ui/ChangeBar.h"
#include "ui/InspectorPlacement.h"
#include "ui/LegendPanel.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

void ArrangeMainWindow(wxFrame* frame, const MainControls& controls) {
    wxBoxSizer* bottomRow = new wxBoxSizer(wxHORIZONTAL);
    bottomRow->Add(controls.zoomLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    bottomRow->Add(controls.zoomCtrl, 1, 0, 0);

    wxBoxSizer* centreColumn = new wxBoxSizer(wxVERTICAL);
    centreColumn->Add(controls.title, 0, wxEXPAND | wxBOTTOM, 5);
    centreColumn->Add(controls.changeBar, 0, wxEXPAND | wxBOTTOM, 3);
    wxBoxSizer* mapRow = new wxBoxSizer(wxHORIZONTAL);
    mapRow->Add(controls.viewer, 1, wxEXPAND);
    mapRow->Add(controls.legendPanel, 0, wxEXPAND | wxLEFT, 5);
    centreColumn->Add(mapRow, 1, wxEXPAND | wxBOTTOM, 3);
    centreColumn->Add(bottomRow, 0, wxEXPAND);

    wxBoxSizer* panelSizer = new wxBoxSizer(wxHORIZONTAL);
    panelSizer->Add(controls.column, 0, wxEXPAND | wxALL, 10);
    panelSizer->Add(centreColumn, 1, wxEXPAND | wxTOP | wxBOTTOM | wxRIGHT, 10);
    controls.panel->SetSizer(panelSizer);

    wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(controls.panel, 1, wxEXPAND, 0);
    frame->SetSizer(frameSizer);
    frame->Layout();
}

void FitFirstSize(wxFrame* frame, LegendPanel* legendPanel, wxStatusBar* statusBar,
                  int columnHeight) {
    const int columnRoom = 550 - frame->GetMenuBar()->GetBestSize().y - 20;
    wxSize size(750, 550 + std::max(0, columnHeight - columnRoom));
    size.x += legendPanel->GetMinSize().x + 5;
    size.y += std::max(statusBar->GetSize().y, statusBar->GetBestSize().y);
    const int screen = wxDisplay::GetFromWindow(frame);
    const wxRect area = wxDisplay(screen == wxNOT_FOUND ? 0u : unsigned(screen)).GetClientArea();
    size.DecTo(area.GetSize());
    const int beside = size.x + kInspectorGap + kInspectorWidth <= area.width
                           ? kInspectorGap + kInspectorWidth
                           : 0;
    frame->SetSize(
        wxRect(area.GetPosition() + (area.GetSize() - size - wxSize(beside, 0)) / 2, size));
}
