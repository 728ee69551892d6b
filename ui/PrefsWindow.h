// The preferences dialog: one notebook page, ColorPrefs, that edits the
// colour settings of the value layers, their value ranges among them.
//
// The main window opens it on the stack: `PrefsWindow dialog(this);` builds
// the dialog, runs it modally and returns once it has closed.
#pragma once

#include <wx/dialog.h>
#include <wx/panel.h>

#include <memory>

class ColorSettings;
class RangePrefs;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxColourPickerCtrl;
class wxGridBagSizer;
class wxNotebook;
class wxStaticText;
class wxTextCtrl;

// The colour-steps field is read like C's atoi: "12abc" gives 12, "abc" 0.
int ParseColorSteps(const wxString& text);
// Fewer than one step draws nothing; the upper bound keeps palettes small.
constexpr int minimumColorSteps = 1;
constexpr int maximumColorSteps = 1000;

class ColorPrefs : public wxPanel {
  public:
    // Loads the controls from the settings, which must outlive the panel.
    ColorPrefs(wxWindow* parent, ColorSettings& settings);

    // Writes every control into the settings, disabled ones too.
    void ApplyToSettings();
    int GetEnteredColorSteps() const;

    // "Built-in", "Custom", "Viridis" or "Cividis"; "Custom" goes with the
    // custom box, which ticks and unticks with it.
    wxChoice* GetScaleChoice() const { return scaleChoice; }
    wxCheckBox* GetCustomBox() const { return customBox; }
    wxColourPickerCtrl* GetLowPicker() const { return lowPicker; }
    wxColourPickerCtrl* GetHighPicker() const { return highPicker; }
    wxCheckBox* GetSmoothBox() const { return smoothBox; }
    wxTextCtrl* GetStepsField() const { return stepsField; }
    RangePrefs* GetRangePrefs() const { return rangePrefs; }

  private:
    void OnCheckBox(wxCommandEvent& event);
    void OnScaleChoice(wxCommandEvent& event);
    void UpdateEnabling();

    ColorSettings& settings;
    wxStaticText* lowLabel = nullptr;
    wxStaticText* highLabel = nullptr;
    wxStaticText* stepsLabel = nullptr;
    wxCheckBox* customBox = nullptr;
    wxColourPickerCtrl* lowPicker = nullptr;
    wxColourPickerCtrl* highPicker = nullptr;
    wxCheckBox* smoothBox = nullptr;
    wxTextCtrl* stepsField = nullptr;
    wxChoice* scaleChoice = nullptr;
    wxStaticText* scaleLabel = nullptr;
    RangePrefs* rangePrefs = nullptr;
    wxGridBagSizer* sizer = nullptr;

    wxDECLARE_EVENT_TABLE();
};

class PrefsWindow : public wxDialog {
  public:
    // With runModal false the dialog is only built (for driving it from
    // tests); settings null means the process-wide colour settings.
    explicit PrefsWindow(wxWindow* parent, bool runModal = true, ColorSettings* settings = nullptr);
    ~PrefsWindow() override;

    ColorPrefs* GetColorPrefs() const { return colorPrefs; }
    wxButton* GetOkButton() const { return okButton; }
    wxButton* GetCancelButton() const { return cancelButton; }

  protected:
    // Tells the user why "Ok" did not close the dialog.
    virtual void ShowRefusal(const wxString& message);

  private:
    void OnButton(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    // What "Ok" does: stores the fields and closes, or says why not.
    void Confirm();
    void Finish(int code);

    // Stands in when the program has no colour settings (it always has).
    std::unique_ptr<ColorSettings> ownSettings;
    wxPanel* innerPanel = nullptr;
    wxNotebook* notebook = nullptr;
    ColorPrefs* colorPrefs = nullptr;
    wxButton* cancelButton = nullptr;
    wxButton* okButton = nullptr;

    wxDECLARE_EVENT_TABLE();
};
