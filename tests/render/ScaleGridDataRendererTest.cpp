#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "RenderTestSupport.h"
#include "render/ScaleGridDataRenderer.h"

namespace {

const Rgb kWhite{255, 255, 255};

// Whether a tick mark stands at column x of the top edge (rows 1 to 4).
bool TopTickAt(const wxImage& image, int x) {
    for (int y = 1; y <= 4; ++y) {
        if (PixelAt(image, x, y) != kWhite) {
            return false;
        }
    }
    return true;
}

bool LeftTickAt(const wxImage& image, int y) {
    for (int x = 1; x <= 4; ++x) {
        if (PixelAt(image, x, y) != kWhite) {
            return false;
        }
    }
    return true;
}

// A plot of unit cells covering (0, 0) to (110, 110) with one stem.
class ScaleLayer : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<PlotCell> cells;
        for (int x = 0; x <= 110; x += 1) {
            cells.push_back({double(x), 0.0, {1.0}});
        }
        cells.push_back({0.0, 110.0, {1.0}});
        MakeGrid(dir.File("plot.db"), {"T1"}, cells);
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
        ASSERT_EQ(plot->GetPlot().GetNeighborGrid()->GetCellSize(), 1.0);
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

}  // namespace

TEST(ScaleRenderer, SpacingGivesFiveToTenIntervals) {
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(7), 1);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(60), 10);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(100), 20);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(1000), 200);
    EXPECT_DOUBLE_EQ(ScaleGridDataRenderer::TickSpacing(0.3), 0.05);
    // At the boundaries the earlier rule wins.
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(10), 2);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(50), 5);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(20), 2);
}

TEST(ScaleRenderer, SpacingHasAnAnswerForEveryWidth) {
    // Between 20 and 25 units nothing fits: 5u.
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(22.5), 5);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(225), 50);
    // No width, no ticks.
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(0), 0);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(-5), 0);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(ScaleGridDataRenderer::TickSpacing(std::nan("")), 0);
    // The far ends of the number range end too.
    EXPECT_GE(ScaleGridDataRenderer::TickSpacing(DBL_MAX), 0);
    EXPECT_GE(ScaleGridDataRenderer::TickSpacing(DBL_TRUE_MIN), 0);
}

TEST_F(ScaleLayer, TicksStartAtTheFirstMultipleAndStopBeforeTheFarEdge) {
    // 100 units plus one cell on 202 pixels: 2 pixels per unit, spacing 20.
    plot->SetView(3, 3, 103, 103);
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_SCALE, 202, 202));
    for (int t : {20, 40, 60, 80, 100}) {
        int at = (t - 3) * 2;
        EXPECT_TRUE(TopTickAt(image, at)) << t;
        EXPECT_TRUE(LeftTickAt(image, at)) << t;
        EXPECT_EQ(PixelAt(image, at - 1, 2), kBlack) << t;
        EXPECT_EQ(PixelAt(image, at + 1, 2), kBlack) << t;
    }
    EXPECT_FALSE(TopTickAt(image, 0));
    EXPECT_FALSE(TopTickAt(image, 200));  // 103 is not a tick
    // Labels in white below the first tick; nothing but white and black.
    int labelPixels = 0;
    for (int y = 6; y < 30; ++y) {
        for (int x = 34; x < 60; ++x) {
            labelPixels += PixelAt(image, x, y) == kWhite;
        }
    }
    EXPECT_GT(labelPixels, 5);
    EXPECT_EQ(ColorCounts(image).size(), 2u);
}

TEST_F(ScaleLayer, TickOnTheNearEdgeIsDrawnOnTheFarEdgeIsNot) {
    plot->SetView(0, 0, 100, 100);
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_SCALE, 202, 202));
    EXPECT_TRUE(TopTickAt(image, 0));
    EXPECT_TRUE(LeftTickAt(image, 0));
    EXPECT_TRUE(TopTickAt(image, 40));
    EXPECT_TRUE(TopTickAt(image, 160));
    EXPECT_FALSE(TopTickAt(image, 200));
    EXPECT_FALSE(LeftTickAt(image, 200));
}

TEST_F(ScaleLayer, ZeroWidthViewDrawsNoTicks) {
    plot->SetView(10, 0, 10, 100);
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_SCALE, 202, 202));
    EXPECT_EQ(ColorCounts(image).size(), 1u);
}

TEST(ScaleRenderer, PlotWithoutGridCountsCellsAsOneUnit) {
    TempDir dir;
    MakeStems(dir.File("stems.db"), {{"A", 0, 0, 0.3, 4}, {"B", 100, 100, 0.3, 4}});
    auto plot = OpenPlot(dir.File("stems.db"));
    ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
    ASSERT_EQ(plot->GetPlot().GetNeighborGrid(), nullptr);
    plot->SetView(0, 0, 100, 100);
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_SCALE, 202, 202));
    EXPECT_TRUE(TopTickAt(image, 40));
    EXPECT_TRUE(LeftTickAt(image, 120));
    // The grid layers have nothing to draw.
    wxImage grid = Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS | LAYER_COUNT_BLOCKS |
                                                     LAYER_UPTAKE_CLOUDS | LAYER_COUNT_CLOUDS |
                                                     LAYER_UPTAKE_ISOLINES | LAYER_COUNT_ISOLINES,
                                                 202, 202));
    EXPECT_EQ(ColorCounts(grid).size(), 1u);
    EXPECT_EQ(ColorCounts(Pixels(plot->RenderStemLayers(7, "A", 202, 202))).size(), 1u);
}
