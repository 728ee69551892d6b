#include <gtest/gtest.h>

#include "render/ViewNavigator.h"

namespace {

const PlotRect kFull{0.0, 0.0, 60.0, 40.0};
constexpr int kWidth = 600;
constexpr int kHeight = 400;

bool Same(const PlotRect& a, const PlotRect& b) {
    return a.xMin == b.xMin && a.yMin == b.yMin && a.xMax == b.xMax && a.yMax == b.yMax;
}

// The pixel a plot point falls in, as the stem layers draw it.
std::pair<int, int> PixelOf(const PlotRect& view, double x, double y) {
    return {int((x - view.xMin) * kWidth / view.Width()),
            int((y - view.yMin) * kHeight / view.Height())};
}

class ViewNavigatorTest : public testing::Test {
  protected:
    ViewNavigator navigator;
    void SetUp() override { navigator.Reset(kFull, 3.0); }
};

TEST_F(ViewNavigatorTest, ZoomKeepsThePointUnderThePointerInItsPixel) {
    for (auto [px, py] : {std::pair{0, 0}, {599, 399}, {123, 77}, {300, 200}}) {
        PlotRect view{2.5, -1.25, 62.5, 38.75};
        const double fx = ViewNavigator::PixelFraction(px, kWidth);
        const double fy = ViewNavigator::PixelFraction(py, kHeight);
        const double x = view.xMin + fx * view.Width();
        const double y = view.yMin + fy * view.Height();
        for (int notch = 0; notch < 12; ++notch) {
            ASSERT_TRUE(navigator.Zoom(view, true, fx, fy));
            EXPECT_EQ(PixelOf(view, x, y), std::make_pair(px, py)) << notch;
        }
        for (int notch = 0; notch < 3; ++notch) {
            navigator.Zoom(view, false, fx, fy);
            EXPECT_EQ(PixelOf(view, x, y), std::make_pair(px, py)) << notch;
        }
    }
}

TEST_F(ViewNavigatorTest, ZoomingBackOutTheWayInReturnsExactly) {
    const PlotRect start{3.1, 0.7, 51.7, 33.1};
    PlotRect view = start;
    const double fx = ViewNavigator::PixelFraction(411, kWidth);
    const double fy = ViewNavigator::PixelFraction(97, kHeight);
    std::vector<PlotRect> way;
    for (int notch = 0; notch < 7; ++notch) {
        way.push_back(view);
        ASSERT_TRUE(navigator.Zoom(view, true, fx, fy));
    }
    for (int notch = 6; notch >= 0; --notch) {
        ASSERT_TRUE(navigator.Zoom(view, false, fx, fy));
        EXPECT_TRUE(Same(view, way[notch])) << notch;
    }
    // The zoom control's steps return exactly too.
    PlotRect stepped = start;
    navigator.Step(stepped, true);
    navigator.Step(stepped, true);
    navigator.Step(stepped, false);
    navigator.Step(stepped, false);
    EXPECT_TRUE(Same(stepped, start));
}

TEST_F(ViewNavigatorTest, ZoomStopsAFewCellsAcrossAndAtTheFullExtent) {
    PlotRect view = kFull;
    EXPECT_FALSE(navigator.Zoom(view, false, 0.5, 0.5));
    EXPECT_FALSE(navigator.Step(view, false));
    int notches = 0;
    while (navigator.Zoom(view, true, 0.9, 0.1)) {
        ASSERT_LT(++notches, 100);
    }
    EXPECT_DOUBLE_EQ(view.Height(), 3.0);  // 1333 %, three cells high
    EXPECT_GT(kFull.Width() / view.Width(), 4.0);
    // A step of the zoom control would turn this view inside out.
    EXPECT_FALSE(navigator.Step(view, true));
    // Out from a view moved off the plot's edge, without the way back.
    view = ViewNavigator::Pan(view, 0.5, 0.0);
    while (navigator.Zoom(view, false, 0.2, 0.2)) {
        ASSERT_GT(view.Width(), 0.0);
    }
    EXPECT_TRUE(Same(view, kFull));
}

TEST_F(ViewNavigatorTest, NearestLevelOfTheZoomControl) {
    EXPECT_EQ(navigator.NearestLevel(kFull, 4), 1);
    EXPECT_EQ(navigator.NearestLevel({0, 0, 45, 30}, 4), 2);
    EXPECT_EQ(navigator.NearestLevel({0, 0, 24, 16}, 4), 3);  // 250 %: nearer 200 % than 400 %
    EXPECT_EQ(navigator.NearestLevel({0, 0, 4, 3}, 4), 4);
    EXPECT_EQ(navigator.NearestLevel({-30, 0, 90, 40}, 4), 1);
}

}  // namespace
