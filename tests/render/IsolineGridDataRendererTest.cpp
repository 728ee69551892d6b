#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "render/IsolineGridDataRenderer.h"

namespace {

const Rgb kLevel2{100, 200, 0};
const Rgb kLevel3{255, 255, 0};

// Three probe cells on a 9 by 9 unit grid with minimum 0 and maximum 10, so
// that with the five built-in colours a level is 2 units high:
//  (2, 2) = 7.9, level 3: n = 8 and e = 7.9 above it, s = w = 6 not;
//  (6, 2) = 5, level 2: only n = 9 above;
//  (2, 6) = 5, level 2: n = s = 9 above, e = w = 4 not (a saddle).
// A view of one unit around a probe selects it alone; on 100 by 100 pixels
// its corner is at pixel 25 and it is 50 pixels wide, so the corners of
// its segments are 25 and 76.
std::vector<PlotCell> ProbeCells(double scale) {
    std::vector<PlotCell> cells;
    for (int x = 0; x < 9; ++x) {
        for (int y = 0; y < 9; ++y) {
            cells.push_back({double(x), double(y), {0.0}});
        }
    }
    auto set = [&](int x, int y, double v) { cells[x * 9 + y].values[0] = v * scale; };
    set(2, 2, 7.9);
    set(2, 3, 8.0);
    set(3, 2, 7.9);
    set(2, 1, 6.0);
    set(1, 2, 6.0);

    set(6, 2, 5.0);
    set(6, 3, 9.0);
    set(7, 2, 4.0);
    set(6, 1, 4.0);
    set(5, 2, 4.0);

    set(2, 6, 5.0);
    set(2, 7, 9.0);
    set(2, 5, 9.0);
    set(3, 6, 4.0);
    set(1, 6, 4.0);

    set(8, 8, 10.0);
    return cells;
}

class IsolineLayer : public testing::TestWithParam<double> {
  protected:
    void SetUp() override {
        MakeGrid(dir.File("plot.db"), {"T1"}, ProbeCells(GetParam()));
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
    }

    wxImage Probe(int x, int y) {
        plot->SetView(x - 0.5, y - 0.5, x + 0.5, y + 0.5);
        return Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_ISOLINES, 100, 100));
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

// Only the given colour and black; returns the number of coloured pixels.
int ExpectOnly(const wxImage& image, Rgb color) {
    int coloured = 0;
    for (const auto& [c, count] : ColorCounts(image)) {
        if (c != kBlack) {
            EXPECT_EQ(c, color);
            coloured += count;
        }
    }
    return coloured;
}

}  // namespace

TEST_P(IsolineLayer, NorthAndEastAboveCutsTheCellFromTopRightToBottomLeft) {
    wxImage image = Probe(2, 2);
    // From (76, 25) to (25, 76), in the colour of level 3.
    for (int x = 27; x <= 74; ++x) {
        EXPECT_EQ(PixelAt(image, x, 101 - x), kLevel3) << x;
    }
    EXPECT_EQ(PixelAt(image, 30, 30), kBlack);
    EXPECT_EQ(PixelAt(image, 70, 70), kBlack);
    EXPECT_LE(ExpectOnly(image, kLevel3), 54);
}

TEST_P(IsolineLayer, OnlyNorthAboveRunsAlongTheNorthEdge) {
    wxImage image = Probe(6, 2);
    // From (76, 76) to (25, 76): north is drawn below the cell.
    for (int x = 26; x <= 75; ++x) {
        EXPECT_EQ(PixelAt(image, x, 76), kLevel2) << x;
    }
    EXPECT_EQ(PixelAt(image, 50, 75), kBlack);
    EXPECT_EQ(PixelAt(image, 50, 77), kBlack);
    EXPECT_LE(ExpectOnly(image, kLevel2), 54);
}

TEST_P(IsolineLayer, SaddleJoinsTheFirstAndLastMarkedCorners) {
    wxImage image = Probe(2, 6);
    // All four corners are marked: from (76, 76) to (25, 25).
    for (int x = 26; x <= 75; ++x) {
        EXPECT_EQ(PixelAt(image, x, x), kLevel2) << x;
    }
    EXPECT_EQ(PixelAt(image, 30, 70), kBlack);
    EXPECT_LE(ExpectOnly(image, kLevel2), 54);
}

// Levels counted in whole units; the same values in hundredths have a range that
// truncates to 0 and are classified by their real values instead.
INSTANTIATE_TEST_SUITE_P(Units, IsolineLayer, testing::Values(1.0, 0.01));

TEST(IsolineRenderer, EqualExtremesOrNoPaletteDrawNoLines) {
    TempDir dir;
    // Every cell 3: one value is no range of levels, although the border
    // cells differ from their missing neighbours and are selected.
    std::vector<PlotCell> cells;
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 3; ++y) {
            cells.push_back({double(x), double(y), {3.0}});
        }
    }
    MakeGrid(dir.File("flat.db"), {"T1"}, cells);
    auto plot = OpenPlot(dir.File("flat.db"));
    plot->SetView(0, 0, 2, 2);
    wxImage flat =
        Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_ISOLINES | LAYER_COUNT_ISOLINES, 60, 60));
    EXPECT_EQ(ColorCounts(flat).size(), 1u);

    MakeGrid(dir.File("probe.db"), {"T1"}, ProbeCells(1.0));
    auto probe = OpenPlot(dir.File("probe.db"));
    IsolineGridDataRenderer noPalette(1.5, 1.5, 2.5, 2.5, 100, 100, probe->GetDatabase());
    noPalette.SetBitmap(NewLayerBitmap(100, 100));
    EXPECT_EQ(ColorCounts(Pixels(noPalette.Render(*probe->GetPlot().GetUptakeGrid()))).size(), 1u);
}
