// Clicks and keys in the stem list as GTK delivers them.
#include <wx/listbox.h>

#include <algorithm>
#include <set>

#include "InputSupport.h"
#include "MainWindowSupport.h"
#include "render/RenderHelper.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

namespace {

class StemListInputTest : public InputWindowTest {
  protected:
    wxListBox* list = nullptr;

    void SetUp() override {
        InputWindowTest::SetUp();
        OpenPlot();
        Tick("Nitrogen Uptake (Blocks)");
        list = window->GetStemList();
    }

    int clicks = 0;

    // The middle of a row, found by asking the list itself; left and right
    // in turn, so that two clicks in a row are no double click.
    wxPoint RowPoint(int row) {
        int first = -1;
        int last = -1;
        for (int y = 0; y < list->GetClientSize().y; ++y) {
            if (list->HitTest(wxPoint(5, y)) == row) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
        EXPECT_GE(first, 0) << "row " << row << " is not on screen";
        return wxPoint(++clicks % 2 ? 10 : 40, (first + last) / 2);
    }

    // A tree selected for the first time makes its set behind the progress window first.
    void ClickRow(int row, int modifiers = 0) {
        input.Click(list, RowPoint(row), modifiers);
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    std::set<int> ShownRows() {
        wxArrayInt shown;
        list->GetSelections(shown);
        return std::set<int>(shown.begin(), shown.end());
    }

    // The rows the list shows selected are the selected stems, each
    // highlighted and drawn once with the one tree layer ticked.
    void ExpectInStep(std::set<int> rows) {
        ASSERT_TRUE(WaitUntilIdle(window));
        EXPECT_EQ(ShownRows(), rows);
        const std::vector<int>& selected = window->GetSelectedStemRows();
        EXPECT_EQ(std::set<int>(selected.begin(), selected.end()), rows);
        std::set<wxString> labels;
        for (int row : rows) {
            labels.insert(list->GetString(row));
        }
        const std::vector<wxString>& highlighted = window->OpenSession()->GetSelected();
        EXPECT_EQ(std::set<wxString>(highlighted.begin(), highlighted.end()), labels);
        EXPECT_EQ(window->GetViewer()->GetLayers().size(), selected.size() + 1);
    }
};

TEST_F(StemListInputTest, PlainClicksSelectSeveralTreesAndASecondClickDeselects) {
    ClickRow(0);
    ExpectInStep({0});
    ClickRow(1);
    ExpectInStep({0, 1});
    ClickRow(0);
    ExpectInStep({1});
    const std::vector<std::string> log = RunMessages();
    EXPECT_EQ(CountOf(log, "Stem selected: T1"), 1);
    EXPECT_EQ(CountOf(log, "Stem selected: T2"), 1);
    EXPECT_EQ(CountOf(log, "Stem deselected: T1"), 1);
    EXPECT_EQ(CountOf(log, "Stems list control selection modified."), 3);
    EXPECT_EQ(window->GetCurrentStem(), "T2");
}

TEST_F(StemListInputTest, ModifierClicksAndKeysKeepListAndSelectionInStep) {
    ClickRow(2);
    ClickRow(0, wxMOD_CONTROL);
    ExpectInStep({0, 2});
    ClickRow(0, wxMOD_CONTROL);
    ExpectInStep({2});
    ClickRow(0, wxMOD_CONTROL);
    ClickRow(2, wxMOD_SHIFT);  // the range from row 0
    ExpectInStep({0, 1, 2});
    input.Key(WXK_UP);  // the list's own choice of rows
    ExpectInStep(ShownRows());
    EXPECT_EQ(ShownRows().size(), 1u);
    input.Key('A', wxMOD_CONTROL);
    ExpectInStep({0, 1, 2});
    // Every change is logged once: each stem selected once more than deselected.
    const std::vector<std::string> log = RunMessages();
    for (const char* stem : {"T1", "T2", "T3"}) {
        const int selected = CountOf(log, std::string("Stem selected: ") + stem);
        const int deselected = CountOf(log, std::string("Stem deselected: ") + stem);
        EXPECT_EQ(selected - deselected, 1) << stem;
    }
}

}  // namespace
