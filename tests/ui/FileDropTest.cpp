// Files dropped on the real window: a plot opens, two tables are imported
// after the one question left (where to save), anything else is explained.
#include <gtest/gtest.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"

TEST(FileDrop, OpensAPlotImportsTwoTablesAndExplainsTheRest) {
    TempDir dir;
    MakeTreePlot("plot.db");
    WriteFile("grid.csv", "x_coord,y_coord,Oak,Elm\n0,0,1,0\n1,0,0.5,0.5\n");
    WriteFile("stems.csv", "Tree,Xrot0,Yrot0\nOak,0.5,0.5\nElm,1.5,0.5\n");
    MainWindow* window = NewTestWindow();
    std::vector<wxString> messages;
    std::vector<long> questions;
    window->SetMessageSink(
        [&](const wxString& text, const wxString&, long) { messages.push_back(text); });
    window->SetFileChooser([&](const wxString&, const wxString&, long style) {
        questions.push_back(style);
        return wxString("new.db");
    });
    auto drop = [&](std::vector<wxString> files) {
        wxArrayString names;
        for (const wxString& file : files) {
            names.Add(file);
        }
        static_cast<wxFileDropTarget*>(window->GetDropTarget())->OnDropFiles(5, 5, names);
    };

    drop({"plot.db"});
    ASSERT_TRUE(PumpUntil([&] { return window->OpenSession() && !window->IsLoading(); }));
    EXPECT_EQ(window->GetStemList()->GetCount(), 3u);

    // The stem table first: it is told from the grid by its header.
    drop({"stems.csv", "grid.csv"});
    ASSERT_TRUE(PumpUntil([&] {
        return wxFileExists("new.db") && window->OpenSession() && !window->IsLoading() &&
               window->GetStemList()->GetCount() == 2;
    }));
    EXPECT_EQ(questions, std::vector<long>{wxFD_SAVE | wxFD_OVERWRITE_PROMPT});

    drop({"grid.csv"});
    ASSERT_TRUE(PumpUntil([&] { return !messages.empty(); }));
    EXPECT_EQ(messages[0],
              "Drop one plot file (.db) to open it, or the grid table and the stem table together "
              "to import them.");
    window->Destroy();
    wxTheApp->ProcessIdle();
}
