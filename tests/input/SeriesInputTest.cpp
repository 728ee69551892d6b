// Page Down and Page Up step through the plots of a folder, as GTK delivers
// the keys, keeping what the user has set up.
#include <wx/listbox.h>

#include <filesystem>

#include "InputSupport.h"
#include "MainWindowSupport.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

namespace {

bool TitleIs(MainWindow* window, const char* file) {
    return window->GetTitle() == wxString::FromUTF8(file) + wxString::FromUTF8(" \u2014 Quenvar") &&
           !window->IsLoading() && !ShownProgressWindow(window);
}

}  // namespace

TEST_F(InputWindowTest, PageKeysOpenTheNeighbourPlotsKeepingViewLayersAndSelection) {
    OpenPlot();
    std::filesystem::copy_file("plot.db", "plot2.db");
    Tick("Nitrogen Uptake (Blocks)");
    ClickStemRow(window, 1);
    Viewer* viewer = window->GetViewer();
    const wxSize size = viewer->GetClientSize();
    input.Click(viewer, wxPoint(size.x / 2, size.y / 2));
    ASSERT_TRUE(PumpUntil([viewer] { return wxWindow::FindFocus() == viewer; }));
    input.Key('+');
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed in.") == 1; }));
    const PlotRect zoomed = window->OpenSession()->GetView();
    const std::vector<wxString> selected = window->OpenSession()->GetSelected();
    ASSERT_EQ(selected.size(), 1u);

    input.Key(WXK_PAGEDOWN);
    ASSERT_TRUE(PumpUntil([this] { return TitleIs(window, "plot2.db"); }));
    const PlotRect kept = window->OpenSession()->GetView();
    EXPECT_EQ(kept.xMin, zoomed.xMin);
    EXPECT_EQ(kept.yMax, zoomed.yMax);
    EXPECT_EQ(window->OpenSession()->GetSelected(), selected);
    EXPECT_EQ(window->GetSelectedStemRows(), std::vector<int>{1});
    EXPECT_TRUE(LayerBox(window, "Nitrogen Uptake (Blocks)")->GetValue());
    // The tree layer of the kept selection, and the highlight.
    EXPECT_EQ(viewer->GetLayers().size(), 2u);

    input.Key(WXK_PAGEUP);
    ASSERT_TRUE(PumpUntil([this] { return TitleIs(window, "plot.db"); }));
    EXPECT_EQ(window->OpenSession()->GetView().xMax, zoomed.xMax);
    EXPECT_EQ(window->OpenSession()->GetSelected(), selected);
}
