// The map under the real pointer, wheel and keyboard.
#include <wx/listbox.h>
#include <wx/stattext.h>

#include "InputSupport.h"
#include "render/RenderHelper.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

namespace {

bool SameView(const PlotRect& a, const PlotRect& b) {
    return a.xMin == b.xMin && a.yMin == b.yMin && a.xMax == b.xMax && a.yMax == b.yMax;
}

bool SamePixels(const wxImage& a, const wxImage& b) {
    return a.GetSize() == b.GetSize() &&
           memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
}

class ViewerInputTest : public InputWindowTest {
  protected:
    Viewer* viewer = nullptr;

    void SetUp() override {
        InputWindowTest::SetUp();
        OpenPlot();
        viewer = window->GetViewer();
    }

    PlotRect View() { return window->OpenSession()->GetView(); }

    bool ScreenShowsComposite() {
        return SamePixels(ScreenImage(viewer), viewer->GetComposite().ConvertToImage());
    }
};

TEST_F(ViewerInputTest, DragReleasedOutsideTheMapSelectsNothing) {
    const PlotRect before = View();
    const wxSize size = viewer->GetClientSize();
    input.MoveTo(viewer, wxPoint(size.x / 2, size.y / 2));
    input.Press();
    // Out over the stem list on the left; the viewer keeps the pointer.
    input.GlideTo(viewer, wxPoint(-60, size.y / 2));
    input.Release();
    input.MoveTo(viewer, wxPoint(size.x / 2, size.y / 2));
    EXPECT_TRUE(window->GetCurrentStem().empty());
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_TRUE(SameView(View(), before));
    for (const std::string& line : RunMessages()) {
        EXPECT_NE(line.rfind("Viewer clicked.", 0), 0u) << line;
        EXPECT_NE(line.rfind("Stem selected:", 0), 0u) << line;
    }
}

TEST_F(ViewerInputTest, ResizeRepaintsTheWholeMap) {
    Tick("Total Nitrogen Uptake (blocks)");
    ASSERT_TRUE(PumpUntil([this] { return ScreenShowsComposite(); }));
    // The picture is stretched to each new size everywhere, not only where
    // the window grew.
    for (wxSize change : {wxSize(90, 70), wxSize(-150, 0), wxSize(0, -120)}) {
        const wxSize before = viewer->GetClientSize();
        window->SetSize(window->GetSize() + change);
        ASSERT_TRUE(PumpUntil([this, before] { return viewer->GetClientSize() != before; }));
        EXPECT_TRUE(PumpUntil([this] { return ScreenShowsComposite(); }, std::chrono::seconds(5)));
    }
}

TEST_F(ViewerInputTest, WheelZoomsAboutThePointerAndBackExactly) {
    Tick("Stem Map (Plain)");
    const PlotRect full = View();
    const wxImage before = viewer->GetComposite().ConvertToImage();
    const wxSize size = viewer->GetClientSize();
    const wxPoint at = PixelOf(7.0, 3.0);
    // The plot point in the middle of the pixel under the pointer.
    const double x = full.xMin + (at.x + 0.5) * full.Width() / size.x;
    const double y = full.yMin + (at.y + 0.5) * full.Height() / size.y;
    input.MoveTo(viewer, at);
    input.Wheel(3);
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed in.") == 3; }));
    EXPECT_EQ(PixelOf(x, y), at);
    EXPECT_EQ(window->GetZoomLabel()->GetLabelText().ToStdString(), "195%");
    input.Wheel(-4);  // one more than in: the full extent is as far as it goes
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed out.") == 3; }));
    input.Settle();
    EXPECT_EQ(CountOf(RunMessages(), "View zoomed out."), 3);
    EXPECT_TRUE(SameView(View(), full));
    EXPECT_TRUE(SamePixels(viewer->GetComposite().ConvertToImage(), before));
}

TEST_F(ViewerInputTest, ViewKeysZoomAboutTheCentrePanAndShowTheWholePlot) {
    const PlotRect full = View();
    const wxSize size = viewer->GetClientSize();
    input.Click(viewer, wxPoint(size.x / 2, size.y / 2));
    ASSERT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == viewer; }));
    input.Key('+');
    input.Key('=');
    input.Key('-');
    ASSERT_TRUE(PumpUntil([] { return CountOf(RunMessages(), "View zoomed out.") == 1; }));
    EXPECT_EQ(CountOf(RunMessages(), "View zoomed in."), 2);
    const PlotRect zoomed = View();
    EXPECT_DOUBLE_EQ(zoomed.xMin + zoomed.xMax, full.xMin + full.xMax);
    EXPECT_DOUBLE_EQ(zoomed.Width(), 0.8 * full.Width());

    input.Key(WXK_RIGHT);
    input.Key(WXK_UP);
    const std::string right = wxString::Format("View moved: (%d, 0)", -size.x / 10).ToStdString();
    const std::string up = wxString::Format("View moved: (0, %d)", size.y / 10).ToStdString();
    ASSERT_TRUE(PumpUntil([&] { return CountOf(RunMessages(), up) == 1; }));
    EXPECT_EQ(CountOf(RunMessages(), right), 1);
    EXPECT_DOUBLE_EQ(View().xMin, zoomed.xMin + zoomed.Width() / 10);
    EXPECT_DOUBLE_EQ(View().yMin, zoomed.yMin - zoomed.Height() / 10);

    input.Key(WXK_HOME);
    ASSERT_TRUE(PumpUntil([this, full] { return SameView(View(), full); }));
    EXPECT_EQ(window->GetZoomLabel()->GetLabelText().ToStdString(), "100%");

    // In the stem list the arrows move through the rows, not the map.
    input.Click(window->GetStemList(), wxPoint(10, 5));
    input.Key(WXK_DOWN);
    EXPECT_EQ(CountOf(RunMessages(), up) + CountOf(RunMessages(), right), 2);
    for (const std::string& line : RunMessages()) {
        EXPECT_NE(line, wxString::Format("View moved: (0, %d)", -size.y / 10).ToStdString());
    }
}

}  // namespace
