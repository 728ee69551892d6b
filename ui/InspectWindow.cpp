#include "ui/InspectWindow.h"

#include <wx/checkbox.h>
#include <wx/clrpicker.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

#include "data/PlotFile.h"
#include "render/TreeColors.h"
#include "ui/Resources.h"

namespace {

const char* const noStemText = "No stem selected.";
constexpr int toolImageSize = 24;

}  // namespace

// The "Grey out other stems" box has no handler here: its clicks travel on to
// the main window like those of the layer check boxes.
// clang-format off
wxBEGIN_EVENT_TABLE(InspectWindow, wxFrame)
    EVT_CLOSE(InspectWindow::OnClose)
    EVT_MENU(wxID_ANY, InspectWindow::OnToolCommand)
    EVT_COLOURPICKER_CHANGED(wxID_ANY, InspectWindow::OnColourChanged)
wxEND_EVENT_TABLE();
// clang-format on

InspectWindow::InspectWindow(wxWindow* parent,
                             std::function<void(const wxString& stem)> colorChanged)
    : wxFrame(
          parent, wxID_ANY, "Inspector", wxDefaultPosition, wxDefaultSize,
          wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT),
      colorChanged(std::move(colorChanged)) {
    Show(false);
    SetSize(500, 200);
    colorsBitmap = LoadResourceBitmap("tool-colors.png", toolImageSize, toolImageSize);
    infoBitmap = LoadResourceBitmap("tool-info.png", toolImageSize, toolImageSize);
    BuildControls();

    greyOutBox->Hide();
    stemColorText->Hide();
    colourPicker->Hide();
    labelsText->Hide();
    valuesText->Hide();
    colorsPage->Hide();
    infoPage->Hide();
    ShowPage(ID_TOOL_INFO);
    Show(true);
}

void InspectWindow::BuildControls() {
    mainPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTAB_TRAVERSAL | wxNO_BORDER);
    toolBar = new wxToolBar(mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTB_HORIZONTAL | wxTB_FLAT | wxNO_BORDER);
    toolBar->AddTool(ID_TOOL_COLORS, "Colors", colorsBitmap, "Colors");
    toolBar->AddTool(ID_TOOL_INFO, "Info", infoBitmap, "Information");
    toolBar->Realize();

    colorsPage = new wxPanel(mainPanel);
    stemLabel = new wxStaticText(colorsPage, wxID_ANY, noStemText);
    greyOutBox = new wxCheckBox(colorsPage, wxID_ANY, "Grey out other stems");
    stemColorText = new wxStaticText(colorsPage, wxID_ANY, "Stem color");
    colourPicker = new wxColourPickerCtrl(colorsPage, wxID_ANY, *wxBLACK);

    infoPage = new wxPanel(mainPanel);
    noInfoText = new wxStaticText(infoPage, wxID_ANY, "No info Available.");
    labelsText = new wxStaticText(infoPage, wxID_ANY, "");
    valuesText = new wxStaticText(infoPage, wxID_ANY, "");

    wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(mainPanel, 1, wxEXPAND);
    SetSizer(frameSizer);

    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
    // Expanding across the width already centres it; the toolkit refuses both flags together.
    panelSizer->Add(toolBar, 0, wxEXPAND);
    panelSizer->Add(colorsPage, 1, wxEXPAND | wxALL, 5);
    panelSizer->Add(infoPage, 1, wxEXPAND | wxALL, 5);
    mainPanel->SetSizer(panelSizer);

    wxBoxSizer* colorsSizer = new wxBoxSizer(wxVERTICAL);
    colorsSizer->Add(stemLabel, 0, wxEXPAND | wxBOTTOM, 5);
    colorsSizer->Add(greyOutBox, 0, wxEXPAND);
    wxBoxSizer* colorRow = new wxBoxSizer(wxHORIZONTAL);
    colorRow->Add(colourPicker, 1);
    colorRow->Add(stemColorText, 0);
    colorsSizer->Add(colorRow, 0, wxEXPAND);
    colorsPage->SetSizer(colorsSizer);

    wxBoxSizer* infoSizer = new wxBoxSizer(wxVERTICAL);
    infoSizer->Add(noInfoText, 0, wxEXPAND);
    wxBoxSizer* infoRow = new wxBoxSizer(wxHORIZONTAL);
    infoRow->Add(labelsText, 1, wxEXPAND);
    infoRow->Add(valuesText, 1, wxEXPAND);
    infoSizer->Add(infoRow, 1, wxEXPAND);
    infoPage->SetSizer(infoSizer);
}

void InspectWindow::ShowPage(int id) {
    colorsPage->Hide();
    infoPage->Hide();
    if (id == ID_TOOL_COLORS) {
        colorsPage->Show();
    } else if (id == ID_TOOL_INFO) {
        infoPage->Show();
    }
    mainPanel->Layout();
}

void InspectWindow::SetStem(const wxString& stem) {
    currentStem = stem;
    bool shown = !stem.empty();
    if (shown) {
        // Labels and names come from the plot file: an "&" in them is text, not a mnemonic.
        stemLabel->SetLabelText("Stem: " + stem);
        greyOutBox->SetValue(false);
        if (treeColors) {
            colourPicker->SetColour(treeColors->Get(stem));
        }
    } else {
        stemLabel->SetLabel(noStemText);
    }
    greyOutBox->Show(shown);
    colourPicker->Show(shown);
    stemColorText->Show(shown);
    colorsPage->Layout();
}

void InspectWindow::ShowStem(const wxString& stem, PlotFile* plot) {
    SetStem(stem);
    ClearInfo();
    if (stem.empty() || !plot) {
        return;
    }
    const std::vector<wxString> attributes = plot->GetStemAttributeNames();
    AddInfo("Stem ID", stem);
    // A text as its text, and -1 as missing: not every attribute is a number.
    for (const wxString& attribute : attributes) {
        AddInfo(attribute, plot->GetStemText(stem, attribute));
    }
}

void InspectWindow::ClearInfo() {
    infoValues.clear();
    infoOrder.clear();
    labelsText->SetLabel("");
    valuesText->SetLabel("");
    labelsText->Hide();
    valuesText->Hide();
    noInfoText->Show();
    infoPage->Layout();
}

void InspectWindow::AddInfo(const wxString& label, const wxString& value) {
    infoValues[label] = value;
    infoOrder.push_back(label);
    RefreshInfoPage();
}

void InspectWindow::RefreshInfoPage() {
    bool empty = infoOrder.empty();
    noInfoText->Show(empty);
    labelsText->Show(!empty);
    valuesText->Show(!empty);
    wxString labels;
    wxString values;
    for (const wxString& label : infoOrder) {
        labels += label + "\n";
        values += infoValues[label] + "\n";
    }
    labelsText->SetLabelText(labels);
    valuesText->SetLabelText(values);
    infoPage->Layout();
}

void InspectWindow::OnClose(wxCloseEvent& event) {
    // The window lives as long as the main window; closing only hides it.
    if (event.CanVeto()) {
        event.Veto();
        Hide();
    } else {
        Destroy();
    }
}

void InspectWindow::OnToolCommand(wxCommandEvent& event) {
    ShowPage(event.GetId());
}

void InspectWindow::OnColourChanged(wxColourPickerEvent& event) {
    if (currentStem.empty() || !treeColors) {
        return;
    }
    treeColors->Set(currentStem, event.GetColour());
    if (colorChanged) {
        colorChanged(currentStem);
    }
}
