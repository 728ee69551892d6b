// File > Import Delimited Text... and Help > About Quenvar in the real window.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>

#include <deque>

#include "TestSupport.h"
#include "render/ColorSettings.h"
#include "render/RenderHelper.h"
#include "ui/AboutBox.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"

namespace {

bool HasOpenProgressWindow(wxWindow* parent) {
    for (wxWindow* child : parent->GetChildren()) {
        if (dynamic_cast<ProgressWindow*>(child) && child->IsShown()) {
            return true;
        }
    }
    return false;
}

class ImportDialogTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    std::deque<wxString> answers;  // what the file dialogs answer, in turn
    std::vector<long> styles;
    std::vector<wxString> messages;

    void SetUp() override {
        if (!colorSettings) {
            colorSettings = new ColorSettings;
        }
        window = new MainWindow(wxEmptyString, false);
        window->SetMessageSink(
            [this](const wxString& text, const wxString&, long) { messages.push_back(text); });
        window->SetFileChooser([this](const wxString&, const wxString&, long style) {
            styles.push_back(style);
            wxString answer = answers.empty() ? wxString() : answers.front();
            if (!answers.empty()) {
                answers.pop_front();
            }
            return answer;
        });
        WriteFile("grid.csv", "x_coord,y_coord,Oak,Elm\n0,0,1,0\n1,0,0.5,0.5\n");
        WriteFile("stems.csv", "Tree,Xrot0,Yrot0\nOak,0.5,0.5\n");
    }

    void TearDown() override {
        window->Destroy();
        wxTheApp->ProcessIdle();
    }

    void Import(std::deque<wxString> files) {
        answers = std::move(files);
        wxCommandEvent event(wxEVT_MENU, ID_IMPORT_TEXT);
        window->GetEventHandler()->ProcessEvent(event);
    }
};

}  // namespace

TEST_F(ImportDialogTest, ImportsOnTheWorkerThenOpensThePlotAndListsTheWarnings) {
    Import({"grid.csv", "stems.csv", "plot.db"});
    ASSERT_TRUE(PumpUntil([this] { return window->OpenSession() && !window->IsLoading(); }));
    EXPECT_EQ(window->GetStemList()->GetCount(), 2u);
    // Only the save dialog may confirm replacing a file.
    EXPECT_EQ(styles, (std::vector<long>{wxFD_OPEN, wxFD_OPEN, wxFD_SAVE | wxFD_OVERWRITE_PROMPT}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "The plot was imported, but:\n- 1 tree of the grid has no stem row: \"Elm\"");
}

TEST_F(ImportDialogTest, RefusalIsShownAndNothingOpensOrIsWritten) {
    WriteFile("grid.csv", "x_coord,y_coord,Oak\n0,0,lots\n");
    Import({"grid.csv", "stems.csv", "plot.db"});
    ASSERT_TRUE(PumpUntil([this] { return !messages.empty(); }));
    EXPECT_EQ(messages[0], "grid.csv, line 2, field \"Oak\": \"lots\" is not a number");
    EXPECT_EQ(window->OpenSession(), nullptr);
    EXPECT_FALSE(wxFileExists("plot.db"));

    // Cancelling a question stops before the next one.
    styles.clear();
    Import({"grid.csv"});
    EXPECT_EQ(styles.size(), 2u);
}

// The import's progress window is gone once its work is handed back: the
// message is not shown under it, and the load that follows keeps the main
// window disabled until it ends.
TEST_F(ImportDialogTest, ProgressWindowClosesBeforeTheOutcomeIsShown) {
    bool progressAtMessage = true;
    bool enabledAtMessage = false;
    window->SetMessageSink([&](const wxString& text, const wxString&, long) {
        messages.push_back(text);
        progressAtMessage = HasOpenProgressWindow(window);
        enabledAtMessage = window->IsEnabled();
    });
    bool enabledDuringLoad = false;
    Import({"grid.csv", "stems.csv", "plot.db"});
    ASSERT_TRUE(PumpUntil([&] {
        enabledDuringLoad = enabledDuringLoad || (window->IsLoading() && window->IsEnabled());
        return window->OpenSession() && !window->IsLoading() && !HasOpenProgressWindow(window);
    }));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(progressAtMessage);
    EXPECT_TRUE(enabledAtMessage);
    EXPECT_FALSE(enabledDuringLoad);
    EXPECT_TRUE(window->IsEnabled());
}

TEST(AboutBox, NamesTheVersionsTheProgramRunsWith) {
    EXPECT_EQ(AboutText(), wxString::Format("Quenvar 0.27\nSQLite %s\n%s", sqlite3_libversion(),
                                            wxGetLibraryVersionInfo().GetVersionString()));
}
