#include "ui/PrefsWindow.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/gbsizer.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdlib>

#include "render/ColorSettings.h"
#include "ui/RangePrefs.h"

int ParseColorSteps(const wxString& text) {
    return atoi(text.utf8_str());
}

namespace {

// The entries of the colour-scale choice, in order.
enum ScaleEntry { SCALE_BUILT_IN, SCALE_CUSTOM, SCALE_VIRIDIS, SCALE_CIVIDIS };

int ScaleEntryOf(ColorSettings& settings) {
    switch (settings.GetColorMap()) {
        case ColorMap::Viridis:
            return SCALE_VIRIDIS;
        case ColorMap::Cividis:
            return SCALE_CIVIDIS;
        case ColorMap::None:
            break;
    }
    return settings.GetUseCustomColors() ? SCALE_CUSTOM : SCALE_BUILT_IN;
}

ColorMap MapOf(int entry) {
    return entry == SCALE_VIRIDIS ? ColorMap::Viridis
                                  : (entry == SCALE_CIVIDIS ? ColorMap::Cividis : ColorMap::None);
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(ColorPrefs, wxPanel)
    EVT_CHECKBOX(wxID_ANY, ColorPrefs::OnCheckBox)
    EVT_CHOICE(wxID_ANY, ColorPrefs::OnScaleChoice)
wxEND_EVENT_TABLE();
// clang-format on

ColorPrefs::ColorPrefs(wxWindow* parent, ColorSettings& settings)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      settings(settings) {
    customBox = new wxCheckBox(this, wxID_ANY, "Use Custom Colors");
    lowPicker = new wxColourPickerCtrl(this, wxID_ANY, settings.GetLowColor());
    lowLabel = new wxStaticText(this, wxID_ANY, "Low Value Color");
    highPicker = new wxColourPickerCtrl(this, wxID_ANY, settings.GetHighColor());
    highLabel = new wxStaticText(this, wxID_ANY, "High Value Color");
    smoothBox = new wxCheckBox(this, wxID_ANY, "Smooth Color Gradient");
    stepsField = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", settings.GetColorSteps()));
    stepsLabel = new wxStaticText(this, wxID_ANY, "Color Steps");
    const wxString scales[] = {"Built-in", "Custom", "Viridis", "Cividis"};
    scaleChoice = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 4, scales);
    scaleLabel = new wxStaticText(this, wxID_ANY, "Color Scale");
    scaleChoice->SetSelection(ScaleEntryOf(settings));
    rangePrefs = new RangePrefs(this, settings);

    customBox->SetValue(settings.GetUseCustomColors());
    smoothBox->SetValue(settings.GetSmoothGradient());
    UpdateEnabling();

    sizer = new wxGridBagSizer(5, 5);
    sizer->Add(scaleChoice, wxGBPosition(0, 0));
    sizer->Add(scaleLabel, wxGBPosition(0, 1), wxDefaultSpan, wxALIGN_CENTER_VERTICAL);
    sizer->Add(customBox, wxGBPosition(1, 0), wxGBSpan(1, 2));
    sizer->Add(lowPicker, wxGBPosition(2, 0));
    sizer->Add(lowLabel, wxGBPosition(2, 1));
    sizer->Add(highPicker, wxGBPosition(3, 0));
    sizer->Add(highLabel, wxGBPosition(3, 1));
    sizer->Add(smoothBox, wxGBPosition(4, 0), wxGBSpan(1, 2));
    sizer->Add(stepsField, wxGBPosition(5, 0));
    sizer->Add(stepsLabel, wxGBPosition(5, 1));
    sizer->Add(rangePrefs, wxGBPosition(6, 0), wxGBSpan(1, 2), wxEXPAND);
    SetSizer(sizer);
}

void ColorPrefs::OnCheckBox(wxCommandEvent& event) {
    // Ticking the custom box chooses the custom scale; unticking it, the built-in one.
    if (event.GetEventObject() == customBox) {
        scaleChoice->SetSelection(customBox->GetValue() ? SCALE_CUSTOM : SCALE_BUILT_IN);
    }
    UpdateEnabling();
}

void ColorPrefs::OnScaleChoice(wxCommandEvent&) {
    customBox->SetValue(scaleChoice->GetSelection() == SCALE_CUSTOM);
    UpdateEnabling();
}

void ColorPrefs::UpdateEnabling() {
    bool custom = customBox->GetValue();
    lowPicker->Enable(custom);
    highPicker->Enable(custom);
    // A gradient runs along the custom colours or a colour map; --smooth
    // takes it along the built-in scale too.
    smoothBox->Enable(custom || MapOf(scaleChoice->GetSelection()) != ColorMap::None);
    // The colour maps are sampled in as many steps as a custom scale has.
    stepsField->Enable(custom || MapOf(scaleChoice->GetSelection()) != ColorMap::None);
}

int ColorPrefs::GetEnteredColorSteps() const {
    return ParseColorSteps(stepsField->GetValue());
}

void ColorPrefs::ApplyToSettings() {
    settings.SetUseCustomColors(customBox->GetValue());
    settings.SetLowColor(lowPicker->GetColour());
    settings.SetHighColor(highPicker->GetColour());
    settings.SetSmoothGradient(smoothBox->GetValue());
    settings.SetColorSteps(GetEnteredColorSteps());
    settings.SetColorMap(MapOf(scaleChoice->GetSelection()));
}

// clang-format off
wxBEGIN_EVENT_TABLE(PrefsWindow, wxDialog)
    EVT_BUTTON(wxID_ANY, PrefsWindow::OnButton)
    EVT_CHAR_HOOK(PrefsWindow::OnCharHook)
wxEND_EVENT_TABLE();
// clang-format on

PrefsWindow::PrefsWindow(wxWindow* parent, bool runModal, ColorSettings* settings)
    : wxDialog(parent, wxID_ANY, "Preferences") {
    if (!settings) {
        settings = colorSettings;
    }
    if (!settings) {
        ownSettings.reset(new ColorSettings);
        settings = ownSettings.get();
    }
    innerPanel = new wxPanel(this);
    notebook = new wxNotebook(innerPanel, wxID_ANY);
    colorPrefs = new ColorPrefs(notebook, *settings);
    notebook->AddPage(colorPrefs, "Colors");
    // The standard identifiers give Escape to "Cancel" as the toolkit does it.
    cancelButton = new wxButton(innerPanel, wxID_CANCEL, "Cancel");
    okButton = new wxButton(innerPanel, wxID_OK, "Ok");
    okButton->SetDefault();

    wxBoxSizer* dialogSizer = new wxBoxSizer(wxVERTICAL);
    dialogSizer->Add(innerPanel, 1, wxEXPAND);
    SetSizer(dialogSizer);
    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
    panelSizer->Add(notebook, 1, wxEXPAND | wxALL, 10);
    wxBoxSizer* buttonSizer = new wxBoxSizer(wxHORIZONTAL);
    buttonSizer->AddStretchSpacer(1);
    buttonSizer->Add(cancelButton, 0, wxRIGHT, 10);
    buttonSizer->Add(okButton, 0);
    panelSizer->Add(buttonSizer, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    innerPanel->SetSizer(panelSizer);
    Fit();

    if (runModal) {
        ShowModal();
    }
}

// Out of line, where ColorSettings is complete.
PrefsWindow::~PrefsWindow() = default;

void PrefsWindow::OnButton(wxCommandEvent& event) {
    if (event.GetEventObject() == okButton) {
        Confirm();
    } else {
        Finish(wxID_CANCEL);
    }
}

void PrefsWindow::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const bool enter = key == WXK_RETURN || key == WXK_NUMPAD_ENTER;
    // Enter on a focused button presses that button; anywhere else it is "Ok".
    // (The toolkit's own cast would take any control for a button: wxAnyButton
    // has no class information of its own.)
    if (enter && !event.HasAnyModifiers() && !dynamic_cast<wxAnyButton*>(FindFocus())) {
        Confirm();
        return;
    }
    event.Skip();
}

void PrefsWindow::Confirm() {
    int steps = colorPrefs->GetEnteredColorSteps();
    if (steps < minimumColorSteps || steps > maximumColorSteps) {
        ShowRefusal(
            wxString::Format("The number of color steps must be a whole number from %d to %d.",
                             minimumColorSteps, maximumColorSteps));
        return;
    }
    RangePrefs::Ranges ranges;
    wxString problem;
    if (!colorPrefs->GetRangePrefs()->ReadRanges(ranges, problem)) {
        ShowRefusal(problem);
        return;
    }
    colorPrefs->ApplyToSettings();
    colorPrefs->GetRangePrefs()->ApplyToSettings(ranges);
    Finish(wxID_OK);
}

void PrefsWindow::Finish(int code) {
    if (IsModal()) {
        EndModal(code);
    } else {
        SetReturnCode(code);
        Hide();
    }
}

void PrefsWindow::ShowRefusal(const wxString& message) {
    wxMessageBox(message, "Preferences", wxOK | wxICON_WARNING, this);
}
