#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/clrpicker.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>
#include <wx/weakref.h>

#include "TestSupport.h"
#include "render/TreeColors.h"
#include "ui/InspectWindow.h"

namespace {

// Records the check-box clicks that reach the inspector's parent.
class ParentFrame : public wxFrame {
  public:
    ParentFrame() : wxFrame(nullptr, wxID_ANY, "parent") {}
    std::vector<wxString> checkBoxClicks;

  private:
    void OnCheckBox(wxCommandEvent& event) {
        checkBoxClicks.push_back(static_cast<wxCheckBox*>(event.GetEventObject())->GetLabel());
    }
    wxDECLARE_EVENT_TABLE();
};

// clang-format off
wxBEGIN_EVENT_TABLE(ParentFrame, wxFrame)
    EVT_CHECKBOX(wxID_ANY, ParentFrame::OnCheckBox)
wxEND_EVENT_TABLE();
// clang-format on

class InspectWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        parent = new ParentFrame;
        parent->Show();
        inspector = new InspectWindow(parent, nullptr);
    }

    void TearDown() override { delete parent; }

    void ToolClick(int id) {
        wxCommandEvent event(wxEVT_TOOL, id);
        event.SetEventObject(inspector->GetToolBar());
        inspector->GetToolBar()->ProcessWindowEvent(event);
    }

    TempDir dir;  // for the error log, should an image be missing
    ParentFrame* parent = nullptr;
    InspectWindow* inspector = nullptr;
};

TEST_F(InspectWindowTest, StartsShownOnTheInfoPageWithNoInfo) {
    EXPECT_TRUE(inspector->IsShown());
    EXPECT_EQ(inspector->GetTitle(), "Inspector");
    EXPECT_TRUE(inspector->GetInfoPage()->IsShown());
    EXPECT_FALSE(inspector->GetColorsPage()->IsShown());
    EXPECT_TRUE(inspector->GetNoInfoText()->IsShown());
    EXPECT_EQ(inspector->GetNoInfoText()->GetLabel(), "No info Available.");
    EXPECT_FALSE(inspector->GetLabelsText()->IsShown());
    EXPECT_FALSE(inspector->GetValuesText()->IsShown());
}

TEST_F(InspectWindowTest, ToolBarSwitchesPages) {
    ToolClick(InspectWindow::ID_TOOL_COLORS);
    EXPECT_TRUE(inspector->GetColorsPage()->IsShown());
    EXPECT_FALSE(inspector->GetInfoPage()->IsShown());
    ToolClick(InspectWindow::ID_TOOL_INFO);
    EXPECT_FALSE(inspector->GetColorsPage()->IsShown());
    EXPECT_TRUE(inspector->GetInfoPage()->IsShown());
    inspector->ShowPage(7);
    EXPECT_FALSE(inspector->GetColorsPage()->IsShown());
    EXPECT_FALSE(inspector->GetInfoPage()->IsShown());
}

TEST_F(InspectWindowTest, StemControlsShowOnlyWithAStemAndTheBoxComesUnchecked) {
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "No stem selected.");
    EXPECT_FALSE(inspector->GetGreyOutBox()->IsShown());
    EXPECT_FALSE(inspector->GetColourPicker()->IsShown());

    inspector->SetStem("T12");
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "Stem: T12");
    EXPECT_TRUE(inspector->GetGreyOutBox()->IsShown());
    EXPECT_TRUE(inspector->GetColourPicker()->IsShown());
    EXPECT_FALSE(inspector->GetGreyOutBox()->GetValue());

    inspector->GetGreyOutBox()->SetValue(true);
    inspector->SetStem("T13");
    EXPECT_FALSE(inspector->GetGreyOutBox()->GetValue());

    inspector->SetStem("");
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "No stem selected.");
    EXPECT_FALSE(inspector->GetGreyOutBox()->IsShown());
    EXPECT_FALSE(inspector->GetColourPicker()->IsShown());
    EXPECT_TRUE(inspector->GetCurrentStem().empty());
}

TEST_F(InspectWindowTest, InfoLinesKeepTheirOrderAndTheLatestValue) {
    inspector->AddInfo("Stem ID", "T1");
    inspector->AddInfo("dbh", "12.500000");
    inspector->AddInfo("dbh", "13.000000");
    EXPECT_FALSE(inspector->GetNoInfoText()->IsShown());
    EXPECT_TRUE(inspector->GetLabelsText()->IsShown());
    EXPECT_EQ(inspector->GetLabelsText()->GetLabel(), "Stem ID\ndbh\ndbh\n");
    EXPECT_EQ(inspector->GetValuesText()->GetLabel(), "T1\n13.000000\n13.000000\n");

    inspector->ClearInfo();
    EXPECT_TRUE(inspector->GetNoInfoText()->IsShown());
    EXPECT_FALSE(inspector->GetLabelsText()->IsShown());
    EXPECT_EQ(inspector->GetLabelsText()->GetLabel(), "");
    EXPECT_EQ(inspector->GetValuesText()->GetLabel(), "");
}

// The texts come from the plot file; an ampersand in them is no mnemonic.
TEST_F(InspectWindowTest, AmpersandsInLabelsAndNamesAreShownAsWritten) {
    inspector->SetStem("Oak & Ash");
    inspector->AddInfo("Stem ID", "Oak & Ash");
    inspector->AddInfo("N&P", "1.000000");
    EXPECT_EQ(inspector->GetStemLabel()->GetLabelText().ToStdString(), "Stem: Oak & Ash");
    EXPECT_EQ(inspector->GetLabelsText()->GetLabelText().ToStdString(), "Stem ID\nN&P\n");
    EXPECT_EQ(inspector->GetValuesText()->GetLabelText().ToStdString(), "Oak & Ash\n1.000000\n");
}

TEST_F(InspectWindowTest, CloseBoxOnlyHidesAndShowingAgainKeepsPageAndContents) {
    ToolClick(InspectWindow::ID_TOOL_COLORS);
    inspector->SetStem("T7");
    wxWeakRef<InspectWindow> alive(inspector);
    inspector->Close();
    wxTheApp->ProcessIdle();
    ASSERT_TRUE(alive);
    EXPECT_FALSE(inspector->IsShown());

    inspector->Show();
    EXPECT_TRUE(inspector->GetColorsPage()->IsShown());
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "Stem: T7");
}

TEST_F(InspectWindowTest, PickerDoesNothingWithoutAStemOrWithoutADataSet) {
    wxColourPickerEvent event(inspector->GetColourPicker(), inspector->GetColourPicker()->GetId(),
                              *wxRED);
    inspector->GetColourPicker()->ProcessWindowEvent(event);
    EXPECT_TRUE(inspector->GetCurrentStem().empty());

    // While a load runs the main window has taken the trees' colours away.
    inspector->SetStem("T3");
    inspector->SetTreeColors(nullptr);
    inspector->GetColourPicker()->ProcessWindowEvent(event);
    EXPECT_EQ(inspector->GetCurrentStem(), "T3");
}

TEST_F(InspectWindowTest, PickerShowsAndStoresTheStemColorOfTheDataSet) {
    auto colors = std::make_shared<TreeColors>();
    colors->Set("T1", wxColour(10, 200, 30));
    inspector->SetTreeColors(colors);
    inspector->SetStem("T1");
    EXPECT_EQ(inspector->GetColourPicker()->GetColour(), wxColour(10, 200, 30));

    wxColourPickerEvent event(inspector->GetColourPicker(), inspector->GetColourPicker()->GetId(),
                              wxColour(250, 0, 0));
    inspector->GetColourPicker()->ProcessWindowEvent(event);
    EXPECT_EQ(colors->Get("T1"), wxColour(250, 0, 0));
    inspector->SetTreeColors(nullptr);
}

TEST_F(InspectWindowTest, GreyOutBoxClickTravelsOnToTheParent) {
    inspector->SetStem("T3");
    wxCheckBox* box = inspector->GetGreyOutBox();
    box->SetValue(true);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(1);
    box->ProcessWindowEvent(event);
    EXPECT_EQ(parent->checkBoxClicks, (std::vector<wxString>{"Grey out other stems"}));
}

}  // namespace
