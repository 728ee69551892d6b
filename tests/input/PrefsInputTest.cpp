// Escape and Enter in the preferences dialog, from the real keyboard.
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "InputSupport.h"
#include "render/ColorSettings.h"
#include "ui/PrefsWindow.h"

namespace {

class PrefsInputTest : public testing::Test {
  protected:
    TempDir dir;
    RealInput input;
    ColorSettings settings;
    wxFrame* parent = nullptr;
    PrefsWindow* dialog = nullptr;

    void SetUp() override {
        settings.SetUseCustomColors(true);  // so that the steps field takes input
        parent = new wxFrame(nullptr, wxID_ANY, "parent");
        parent->Show();
        dialog = new PrefsWindow(parent, false, &settings);
        dialog->Show();
        ASSERT_TRUE(WaitUntilActive(dialog));
        // A user types a number of steps, with the keyboard in the field.
        wxTextCtrl* steps = dialog->GetColorPrefs()->GetStepsField();
        steps->SetFocus();
        ASSERT_TRUE(PumpUntil([steps] { return wxWindow::FindFocus() == steps; }));
        steps->SelectAll();
        input.Key('7');
        ASSERT_EQ(steps->GetValue(), "7");
    }

    void TearDown() override {
        dialog->Destroy();
        parent->Destroy();
        wxTheApp->ProcessIdle();
    }
};

TEST_F(PrefsInputTest, EscapeCancelsAndStoresNothing) {
    const int stepsBefore = settings.GetColorSteps();
    input.Key(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([this] { return !dialog->IsShown(); }, std::chrono::seconds(5)));
    EXPECT_EQ(dialog->GetReturnCode(), wxID_CANCEL);
    EXPECT_EQ(settings.GetColorSteps(), stepsBefore);
}

TEST_F(PrefsInputTest, EnterConfirmsAsOkDoes) {
    input.Key(WXK_RETURN);
    EXPECT_TRUE(PumpUntil([this] { return !dialog->IsShown(); }, std::chrono::seconds(5)));
    EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
    EXPECT_EQ(settings.GetColorSteps(), 7);
}

}  // namespace
