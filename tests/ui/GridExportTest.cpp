// File > Export Grid...: the ticked value layer of the whole plot.
#include <gtest/gtest.h>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "ui/MainMenu.h"

namespace {

TEST(GridExport, WritesTheTickedLayerChosen) {
    TempDir dir;
    MainWindow* window = NewTestWindow();
    MakeTreePlot("plot.db");
    window->OpenDatabase("plot.db");
    ASSERT_TRUE(PumpUntil([&] { return window->OpenSession() && !ShownProgressWindow(window); }));
    std::vector<wxString> messages;
    window->SetMessageSink(
        [&](const wxString& text, const wxString&, long) { messages.push_back(text); });
    wxArrayString offered;
    window->SetChoiceAsker([&](const wxString&, const wxArrayString& choices) {
        offered = choices;
        return 1;
    });
    window->SetFileChooser([](const wxString&, const wxString&, long) { return "t2.csv"; });
    wxCommandEvent menu(wxEVT_MENU, ID_EXPORT_GRID);

    // Nothing ticked: it says what to tick.
    window->GetEventHandler()->ProcessEvent(menu);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].Contains("tick")) << messages[0];

    ToggleLayer(window, "Total Nitrogen Uptake (blocks)", true);
    ToggleLayer(window, "Nitrogen Uptake (Blocks)", true);
    window->SelectStem("T2");
    ASSERT_TRUE(WaitUntilIdle(window));
    window->GetEventHandler()->ProcessEvent(menu);
    EXPECT_EQ(messages.size(), 1u) << messages.back();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1], "Uptake of tree T2");
    // Every cell, and T2's own value where it takes up anything.
    const std::vector<std::string> lines = ReadLines("t2.csv");
    ASSERT_EQ(lines.size(), 101u);
    int taking = 0;
    for (const std::string& line : lines) {
        taking += line.size() > 2 && line.compare(line.size() - 2, 2, ",0") != 0;
    }
    EXPECT_EQ(std::to_string(taking - 1),  // less the header
              QueryColumn("plot.db", "SELECT count(*) FROM grid WHERE T2 != 0")[0]);
    window->Destroy();
}

}  // namespace
