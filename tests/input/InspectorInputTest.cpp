// The inspector under a window manager: beside the main window, clear of
// its layer list and map, shown by the first Ctrl+I, and listing a stem's
// attributes as they are stored.
#include <wx/stattext.h>
#include <wx/tokenzr.h>

#include "InputSupport.h"
#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "ui/InspectWindow.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

namespace {

class InspectorInputTest : public InputWindowTest {
  protected:
    InspectWindow* inspector = nullptr;

    void SetUp() override {
        InputWindowTest::SetUp();
        inspector = window->GetInspector();
    }

    // The value line of an attribute, as the Info page lists it.
    wxString ValueOf(const wxString& attribute) {
        const wxArrayString labels = wxStringTokenize(inspector->GetLabelsText()->GetLabel(), "\n");
        const wxArrayString values = wxStringTokenize(inspector->GetValuesText()->GetLabel(), "\n");
        const int at = labels.Index(attribute);
        return at == wxNOT_FOUND || size_t(at) >= values.size() ? "(none)" : values[size_t(at)];
    }
};

}  // namespace

TEST_F(InspectorInputTest, StandsBesideTheWindowAndTheFirstCtrlIShowsIt) {
    const auto clear = [this] {
        const wxRect own = inspector->GetScreenRect();
        return inspector->IsShown() && !own.Intersects(window->GetViewer()->GetScreenRect()) &&
               !own.Intersects(window->GetStemList()->GetScreenRect()) &&
               (own.GetLeft() > window->GetViewer()->GetScreenRect().GetRight() ||
                own.GetRight() < window->GetScreenRect().GetLeft());
    };
    EXPECT_TRUE(PumpUntil(clear)) << inspector->GetScreenRect().x;
    inspector->Close();  // its close box hides it
    ASSERT_TRUE(PumpUntil([this] { return !inspector->IsShown(); }));
    window->Raise();
    ASSERT_TRUE(WaitUntilActive(window));
    input.Key('I', wxMOD_CONTROL);
    EXPECT_TRUE(PumpUntil(clear));
    // Pressed again it stays: the menu says Show.
    window->Raise();
    ASSERT_TRUE(WaitUntilActive(window));
    input.Key('I', wxMOD_CONTROL);
    EXPECT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "Inspect window toggled.") == 2; }))
        << CountOf(RunMessages(), "Inspect window toggled.");
    EXPECT_TRUE(inspector->IsShown());
}

TEST_F(InspectorInputTest, ClickedStemListsTextsAndMissingValuesAsStored) {
    MakeTreePlot("plot.db");
    ExecSql("plot.db",
            "ALTER TABLE stem ADD COLUMN species TEXT;"
            "UPDATE stem SET species = 'FASY', height = -1 WHERE Tree = 'T2';");
    window->OpenDatabase("plot.db");
    ASSERT_TRUE(PumpUntil([this] { return !window->IsLoading() && !ShownProgressWindow(window); }));
    ASSERT_TRUE(WaitUntilActive(window));
    input.Click(window->GetViewer(), PixelOf(7.0, 3.0));  // on T2's stem
    ASSERT_TRUE(PumpUntil([this] { return ValueOf("Stem ID") == "T2"; }));
    EXPECT_EQ(ValueOf("species"), "FASY");
    EXPECT_EQ(ValueOf("height"), "missing");
    EXPECT_EQ(ValueOf("dbh"), "0.500000");
}
