// The zoom control's thumb and buttons under the real pointer.
#include <wx/stattext.h>

#include "InputSupport.h"
#include "render/RenderHelper.h"
#include "ui/MainWindow.h"
#include "ui/ZoomCtrl.h"

namespace {

class ZoomCtrlInputTest : public InputWindowTest {
  protected:
    ZoomCtrl* zoom = nullptr;

    void SetUp() override {
        InputWindowTest::SetUp();
        OpenPlot();
        zoom = window->GetZoomCtrl();
    }
};

TEST_F(ZoomCtrlInputTest, ThumbDraggedPastTheEndStopsAtTheLastLevel) {
    input.MoveTo(zoom, wxPoint(zoom->GetThumbOffset() + 34, 12));
    input.Press();
    input.GlideTo(zoom, wxPoint(zoom->GetClientSize().x + 120, 12));
    input.Release();  // outside the control, right of its zoom-in image
    EXPECT_EQ(zoom->GetValue(), 4u);
    EXPECT_EQ(CountOf(RunMessages(), "View zoomed in."), 3);
    EXPECT_EQ(window->GetZoomLabel()->GetLabelText().ToStdString(), "400%");
    const PlotRect& view = window->OpenSession()->GetView();
    EXPECT_DOUBLE_EQ(view.Width(), 0.25 * window->OpenSession()->GetFullExtent().Width());
}

TEST_F(ZoomCtrlInputTest, ReleaseOutsideTheControlIsNoButtonClick) {
    const int right = zoom->GetClientSize().x - 5;
    // Pressed on the zoom-in image, released below it, off the control.
    input.MoveTo(zoom, wxPoint(right, 12));
    input.Press();
    input.GlideTo(zoom, wxPoint(right, 60));
    input.Release();
    // Pressed on the track, released beyond the zoom-out image.
    input.MoveTo(zoom, wxPoint(zoom->GetClientSize().x / 2, 20));
    input.Press();
    input.GlideTo(zoom, wxPoint(-40, 20));
    input.Release();
    EXPECT_EQ(zoom->GetValue(), 1u);
    EXPECT_EQ(CountOf(RunMessages(), "View zoomed in."), 0);
    // A real click on the image still steps.
    input.Click(zoom, wxPoint(right, 12));
    EXPECT_TRUE(PumpUntil([this] { return CountOf(RunMessages(), "View zoomed in.") == 1; }));
    EXPECT_EQ(zoom->GetValue(), 2u);
}

}  // namespace
