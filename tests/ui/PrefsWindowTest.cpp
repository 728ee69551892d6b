#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/textctrl.h>

#include "TestSupport.h"
#include "render/ColorSettings.h"
#include "ui/PrefsWindow.h"
#include "ui/RangePrefs.h"

namespace {

// Built without its modal run, and with the refusal message recorded
// instead of shown.
class TestPrefs : public PrefsWindow {
  public:
    explicit TestPrefs(ColorSettings& settings) : PrefsWindow(nullptr, false, &settings) { Show(); }
    std::vector<wxString> refusals;

  protected:
    void ShowRefusal(const wxString& message) override { refusals.push_back(message); }
};

void Press(wxButton* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

void Tick(wxCheckBox* box, bool checked) {
    box->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(checked);
    box->ProcessWindowEvent(event);
}

bool ColorControlsEnabled(ColorPrefs* page) {
    bool low = page->GetLowPicker()->IsEnabled();
    EXPECT_EQ(page->GetHighPicker()->IsEnabled(), low);
    EXPECT_EQ(page->GetSmoothBox()->IsEnabled(), low);
    EXPECT_EQ(page->GetStepsField()->IsEnabled(), low);
    return low;
}

TEST(PrefsWindowTest, CustomColorsBoxEnablesTheColorControls) {
    ColorSettings settings;
    TestPrefs dialog(settings);
    ColorPrefs* page = dialog.GetColorPrefs();
    EXPECT_EQ(dialog.GetTitle(), "Preferences");
    EXPECT_EQ(page->GetStepsField()->GetValue(), "5");
    EXPECT_FALSE(ColorControlsEnabled(page));
    Tick(page->GetCustomBox(), true);
    EXPECT_TRUE(ColorControlsEnabled(page));
    Tick(page->GetSmoothBox(), true);  // either box reruns the rule
    EXPECT_TRUE(ColorControlsEnabled(page));
    Tick(page->GetCustomBox(), false);
    EXPECT_FALSE(ColorControlsEnabled(page));

    settings.SetUseCustomColors(true);
    TestPrefs second(settings);
    EXPECT_TRUE(ColorControlsEnabled(second.GetColorPrefs()));
}

TEST(PrefsWindowTest, OkStoresEveryFieldEvenWithCustomColorsOff) {
    ColorSettings settings;
    TestPrefs dialog(settings);
    ColorPrefs* page = dialog.GetColorPrefs();
    page->GetLowPicker()->SetColour(wxColour(10, 20, 30));
    page->GetHighPicker()->SetColour(wxColour(200, 210, 220));
    page->GetSmoothBox()->SetValue(true);
    page->GetStepsField()->SetValue("12abc");
    Press(dialog.GetOkButton());

    EXPECT_TRUE(dialog.refusals.empty());
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_OK);
    EXPECT_FALSE(settings.GetUseCustomColors());
    EXPECT_EQ(settings.GetLowColor(), wxColour(10, 20, 30));
    EXPECT_EQ(settings.GetHighColor(), wxColour(200, 210, 220));
    EXPECT_TRUE(settings.GetSmoothGradient());
    EXPECT_EQ(settings.GetColorSteps(), 12);
}

TEST(PrefsWindowTest, OkRefusesStepsOutsideOneToAThousandAndStoresNothing) {
    ColorSettings settings;
    TestPrefs dialog(settings);
    ColorPrefs* page = dialog.GetColorPrefs();
    Tick(page->GetCustomBox(), true);
    for (const char* text : {"abc", "0", " -3", "1001", ""}) {
        page->GetStepsField()->SetValue(text);
        Press(dialog.GetOkButton());
        EXPECT_TRUE(dialog.IsShown()) << text;
    }
    EXPECT_EQ(dialog.refusals.size(), 5u);
    EXPECT_FALSE(settings.GetUseCustomColors());
    EXPECT_EQ(settings.GetColorSteps(), 5);

    page->GetStepsField()->SetValue(" 1000");
    Press(dialog.GetOkButton());
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(settings.GetColorSteps(), 1000);
    EXPECT_TRUE(settings.GetUseCustomColors());
}

TEST(PrefsWindowTest, CancelLeavesTheSettingsUntouched) {
    ColorSettings settings;
    TestPrefs dialog(settings);
    ColorPrefs* page = dialog.GetColorPrefs();
    Tick(page->GetCustomBox(), true);
    page->GetLowPicker()->SetColour(wxColour(1, 2, 3));
    page->GetStepsField()->SetValue("9");
    Press(dialog.GetCancelButton());

    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_CANCEL);
    EXPECT_FALSE(settings.GetUseCustomColors());
    EXPECT_EQ(settings.GetLowColor(), wxColour(0, 0, 255));
    EXPECT_EQ(settings.GetColorSteps(), 5);
}

TEST(PrefsWindowTest, ConstructorRunsTheDialogModallyUntilOk) {
    ColorSettings settings;
    // Runs inside the dialog's modal loop.
    wxTheApp->CallAfter([] {
        for (wxWindow* window : wxTopLevelWindows) {
            if (PrefsWindow* dialog = dynamic_cast<PrefsWindow*>(window)) {
                dialog->GetColorPrefs()->GetStepsField()->SetValue("7");
                Press(dialog->GetOkButton());
            }
        }
    });
    PrefsWindow dialog(nullptr, true, &settings);
    EXPECT_EQ(settings.GetColorSteps(), 7);
}

TEST(PrefsWindowTest, StepsAreReadLikeAtoi) {
    EXPECT_EQ(ParseColorSteps("12abc"), 12);
    EXPECT_EQ(ParseColorSteps("abc"), 0);
    EXPECT_EQ(ParseColorSteps(" -3"), -3);
    EXPECT_EQ(ParseColorSteps("+7"), 7);
}

}  // namespace

TEST(PrefsWindowTest, ColourScaleChoiceGoesWithTheCustomBoxAndStoresTheMap) {
    ColorSettings settings;
    TestPrefs dialog(settings);
    ColorPrefs* page = dialog.GetColorPrefs();
    wxChoice* scale = page->GetScaleChoice();
    EXPECT_EQ(scale->GetStringSelection(), "Built-in");
    Tick(page->GetCustomBox(), true);
    EXPECT_EQ(scale->GetStringSelection(), "Custom");

    scale->SetSelection(2);
    wxCommandEvent event(wxEVT_CHOICE, scale->GetId());
    event.SetEventObject(scale);
    scale->ProcessWindowEvent(event);
    EXPECT_FALSE(page->GetCustomBox()->GetValue());
    EXPECT_FALSE(page->GetLowPicker()->IsEnabled());
    EXPECT_TRUE(page->GetStepsField()->IsEnabled()) << "viridis is sampled in steps";
    Press(dialog.GetOkButton());
    EXPECT_EQ(settings.GetColorMap(), ColorMap::Viridis);
    EXPECT_FALSE(settings.GetUseCustomColors());
}

TEST(PrefsWindowTest, ValueRangeRowsStoreFixedRangesAndRefuseEmptyOnes) {
    ColorSettings settings;
    settings.SetValueRange(RangeFamily::Uptake, ValueRange{0, 1});
    TestPrefs dialog(settings);
    RangePrefs* ranges = dialog.GetColorPrefs()->GetRangePrefs();
    EXPECT_EQ(ranges->GetModeChoice(RangeFamily::Uptake)->GetStringSelection(), "Fixed");
    EXPECT_FALSE(ranges->GetMinField(RangeFamily::Tree)->IsEnabled());
    wxChoice* tree = ranges->GetModeChoice(RangeFamily::Tree);
    tree->SetSelection(1);
    wxCommandEvent event(wxEVT_CHOICE, tree->GetId());
    event.SetEventObject(tree);
    tree->ProcessWindowEvent(event);
    EXPECT_TRUE(ranges->GetMaxField(RangeFamily::Tree)->IsEnabled());
    EXPECT_EQ(dialog.GetColorPrefs()->GetScaleChoice()->GetStringSelection(), "Built-in");

    ranges->GetMinField(RangeFamily::Tree)->SetValue("2");
    ranges->GetMaxField(RangeFamily::Tree)->SetValue("2");
    Press(dialog.GetOkButton());
    ASSERT_EQ(dialog.refusals.size(), 1u);
    EXPECT_FALSE(settings.GetValueRange(RangeFamily::Tree).has_value());
    ranges->GetModeChoice(RangeFamily::Uptake)->SetSelection(0);
    ranges->GetMaxField(RangeFamily::Tree)->SetValue(" 5.5 ");
    Press(dialog.GetOkButton());
    EXPECT_EQ(dialog.refusals.size(), 1u);
    EXPECT_FALSE(settings.GetValueRange(RangeFamily::Uptake).has_value());
    EXPECT_EQ(settings.GetValueRange(RangeFamily::Tree)->min, 2.0);
    EXPECT_EQ(settings.GetValueRange(RangeFamily::Tree)->max, 5.5);
}
