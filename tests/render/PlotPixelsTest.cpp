#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/PlotPixels.h"

TEST(PlotRect, ClickUsesTheViewsRealWidth) {
    PlotRect view{2.0, 7.0, 12.9, 17.9};  // 10.9 units each way
    double x = 0;
    double y = 0;
    PixelToPlot(view, 100, 100, 50, 50, x, y);
    EXPECT_NEAR(x, 2.0 + 5.45, 1e-5);
    EXPECT_NEAR(y, 7.0 + 5.45, 1e-5);

    PixelToPlot(view, 100, 100, 0, 0, x, y);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 7.0);
}

TEST(PlotRect, ViewNarrowerThanOneUnitStillMapsClicks) {
    PlotRect view{1.0, 1.0, 1.5, 1.25};
    double x = 0;
    double y = 0;
    PixelToPlot(view, 100, 50, 100, 50, x, y);
    EXPECT_NEAR(x, 1.5, 1e-6);
    EXPECT_NEAR(y, 1.25, 1e-6);
}

TEST(PlotRect, DragMovesBothEndsOfTheView) {
    PlotRect view{10.0, 5.0, 70.7, 45.0};  // 60.7 by 40 units on 600 by 400 pixels
    PlotRect moved = PannedView(view, 600, 400, 30, -12);
    EXPECT_NEAR(view.xMin - moved.xMin, 3.035, 1e-5);
    EXPECT_NEAR(view.xMax - moved.xMax, 3.035, 1e-5);
    EXPECT_NEAR(moved.yMin - view.yMin, 1.2, 1e-5);
    EXPECT_NEAR(moved.yMax - view.yMax, 1.2, 1e-5);
    EXPECT_NEAR(moved.Width(), view.Width(), 1e-9);
    // A viewer without pixels cannot be dragged.
    EXPECT_EQ(PannedView(view, 0, 0, 30, 30).xMin, view.xMin);
}

TEST(PlotRect, PixelIntTruncatesAndBounds) {
    EXPECT_EQ(PixelInt(2.9), 2);
    EXPECT_EQ(PixelInt(-2.9), -2);
    EXPECT_EQ(PixelInt(-0.5), 0);
    EXPECT_EQ(PixelInt(std::numeric_limits<double>::quiet_NaN()), 0);
    int far = PixelInt(1e300);
    EXPECT_GT(far, 100000);
    EXPECT_LT(far, 1 << 23);  // cairo draws wrongly beyond 2^23
    EXPECT_EQ(PixelInt(-1e300), -far);
    EXPECT_EQ(PixelInt(std::numeric_limits<double>::infinity()), far);
}

// A click and the readout find the plot point drawn under the pointer, and a
// drag follows the pointer, whatever the frame's shape.
TEST(PlotRect, ShapedFramesMapClicksAndDragsBackToThePlot) {
    const PlotRect view{0.0, 0.0, 60.0, 40.0};
    for (const FrameShape shape :
         {FrameShape{true, false}, FrameShape{false, true}, FrameShape{true, true}}) {
        const PlotFrame frame(view, 600, 600, shape);
        const PixelPoint at = frame.ToPixel(15.0, 10.0, frame.StemScale());
        double x = 0;
        double y = 0;
        PixelToPlot(frame, int(at.x), int(at.y), x, y);
        EXPECT_NEAR(x, 15.0, 0.11) << shape.trueProportions << shape.northUp;
        EXPECT_NEAR(y, 10.0, 0.11) << shape.trueProportions << shape.northUp;
        // Dragged 100 pixels right and down: the plot moves with the pointer.
        const PlotRect moved = PannedView(frame, 100, 100);
        EXPECT_LT(moved.xMin, 0.0);
        EXPECT_EQ(moved.yMin > 0.0, shape.northUp);
    }
    // True proportions: 10 pixels a unit both ways, 100 pixels of margin
    // above; north up, y = 40 is that margin's lower edge.
    const PlotFrame both(view, 600, 600, FrameShape{true, true});
    const PixelPoint top = both.ToPixel(0.0, 40.0, both.StemScale());
    EXPECT_DOUBLE_EQ(top.x, 0.0);
    EXPECT_DOUBLE_EQ(top.y, 100.0);
}
