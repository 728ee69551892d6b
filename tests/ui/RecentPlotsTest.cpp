// File > Open Recent in the real window, kept across a restart in the
// configuration folder the tests' main gives every test program.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <filesystem>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "ui/MainMenu.h"
#include "ui/RecentPlots.h"

namespace {

class RecentPlotsTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    std::vector<wxString> messages;

    void SetUp() override { std::filesystem::remove(RecentPlots::ConfigFile().utf8_str().data()); }
    void TearDown() override { Close(); }

    void Start() {
        window = NewTestWindow();
        window->SetMessageSink(
            [this](const wxString& text, const wxString&, long) { messages.push_back(text); });
    }
    void Close() {
        if (window) {
            window->Destroy();
            wxTheApp->ProcessIdle();
            window = nullptr;
        }
    }
    void Menu(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        window->GetEventHandler()->ProcessEvent(event);
    }
    bool Loaded() {
        return PumpUntil([this] { return !window->IsLoading(); });
    }
    wxMenuItem* RecentItem() { return window->GetMenuBar()->FindItem(ID_OPEN_RECENT); }
    std::vector<wxString> Listed() {
        std::vector<wxString> labels;
        for (wxMenuItem* item : RecentItem()->GetSubMenu()->GetMenuItems()) {
            labels.push_back(item->GetItemLabelText());
        }
        return labels;
    }
};

}  // namespace

TEST_F(RecentPlotsTest, ListSurvivesARestartAndLosesAPlotThatHasGone) {
    MakeTreePlot("a.db");
    MakeTreePlot("b.db");
    Start();
    EXPECT_FALSE(RecentItem()->IsEnabled());
    window->OpenDatabase("a.db");
    ASSERT_TRUE(Loaded());
    window->OpenDatabase("b.db");
    ASSERT_TRUE(Loaded());
    Close();

    Start();
    EXPECT_TRUE(RecentItem()->IsEnabled());
    const std::vector<wxString> listed = Listed();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(listed[0].EndsWith("b.db")) << listed[0];
    EXPECT_TRUE(listed[1].EndsWith("a.db")) << listed[1];

    std::filesystem::remove("a.db");
    Menu(wxID_FILE2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "\"" + wxString::FromUTF8(dir.File("a.db")) +
                               "\" no longer exists, so it is taken off the list of recent plots.");
    EXPECT_EQ(Listed().size(), 1u);
    Menu(wxID_FILE1);
    ASSERT_TRUE(Loaded());
    EXPECT_NE(window->OpenSession(), nullptr);
}
