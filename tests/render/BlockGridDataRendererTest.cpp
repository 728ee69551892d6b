#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "render/BlockGridDataRenderer.h"
#include "render/ColorSettings.h"

namespace {

const Rgb kLowest{0, 0, 150};
const Rgb kSecond{0, 150, 100};
const Rgb kMiddle{100, 200, 0};
const Rgb kHighest{255, 0, 0};

// A 4 by 4 grid of unit cells, one tree. The view (0.5, 0.5) to (3, 3) on
// 35 by 35 pixels gives 10 pixels per unit, so the cell with corner (x, y)
// starts at pixel ((x - 0.5) * 10, (y - 0.5) * 10) and is 11 pixels wide.
class BlockLayer : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<PlotCell> cells;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                double value = 0.0;
                if (x == 0) {
                    value = 10.0;  // left of the view: never drawn
                }
                cells.push_back({double(x), double(y), {value}});
            }
        }
        auto set = [&](int x, int y, double value) { cells[y * 4 + x].values[0] = value; };
        set(1, 1, 2.0);
        set(3, 1, 1.9);
        set(1, 2, 5.0);
        set(2, 2, 10.0);
        set(3, 3, 10.0);  // corner exactly on the view's far edges
        MakeGrid(dir.File("plot.db"), {"T1"}, cells);
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
        plot->SetView(0.5, 0.5, 3.0, 3.0);
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

}  // namespace

TEST_F(BlockLayer, CellsBecomeExactRectanglesInTheirPaletteColour) {
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS, 35, 35));
    ASSERT_EQ(image.GetWidth(), 35);

    // Cell (1, 1), value 2: pixels 5 to 15 both ways, the last one overlapping
    // the untouched cell to its right.
    EXPECT_EQ(PixelAt(image, 5, 5), kSecond);
    EXPECT_EQ(PixelAt(image, 10, 10), kSecond);
    EXPECT_EQ(PixelAt(image, 15, 10), kSecond);
    EXPECT_EQ(PixelAt(image, 16, 10), kBlack);
    EXPECT_EQ(PixelAt(image, 4, 10), kBlack);
    EXPECT_EQ(PixelAt(image, 10, 4), kBlack);
    // Cell (3, 1), value 1.9: the lowest colour.
    EXPECT_EQ(PixelAt(image, 30, 10), kLowest);
    EXPECT_EQ(PixelAt(image, 24, 10), kBlack);
    // Cell (1, 2), value 5, and cell (2, 2), the maximum.
    EXPECT_EQ(PixelAt(image, 10, 20), kMiddle);
    EXPECT_EQ(PixelAt(image, 20, 20), kHighest);
    // Cell (3, 3) lies on the view's far corner and reaches the bitmap's edges.
    EXPECT_EQ(PixelAt(image, 34, 34), kHighest);
    EXPECT_EQ(PixelAt(image, 25, 25), kHighest);
    // Value 0 leaves its cell black: (2, 1) and (3, 2).
    EXPECT_EQ(PixelAt(image, 20, 10), kBlack);
    EXPECT_EQ(PixelAt(image, 30, 20), kBlack);
    // The cells of column 0 lie left of the view and are not drawn at all.
    for (int y = 0; y < 35; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(PixelAt(image, x, y), kBlack) << x << "," << y;
        }
    }
    // No blended edges: every pixel is black or a palette colour.
    for (const auto& [color, count] : ColorCounts(image)) {
        EXPECT_TRUE(color == kBlack || color == kLowest || color == kSecond || color == kMiddle ||
                    color == kHighest)
            << color << " x" << count;
    }
}

TEST_F(BlockLayer, CountBlocksDrawTheTreeCounts) {
    // Every cell with uptake counts one tree, the maximum: the last colour.
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_COUNT_BLOCKS, 35, 35));
    EXPECT_EQ(PixelAt(image, 10, 10), kHighest);
    EXPECT_EQ(PixelAt(image, 30, 10), kHighest);
    EXPECT_EQ(PixelAt(image, 20, 10), kBlack);
}

TEST_F(BlockLayer, CustomColoursApplyToTheNextDrawing) {
    ColorSettings settings;
    settings.SetUseCustomColors(true);
    settings.SetColorSteps(1);
    settings.SetLowColor(wxColour(0, 200, 200));
    colorSettings = &settings;
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS, 35, 35));
    colorSettings = nullptr;
    EXPECT_EQ(PixelAt(image, 10, 10), (Rgb{0, 200, 200}));
    EXPECT_EQ(PixelAt(image, 20, 20), (Rgb{0, 200, 200}));

    settings.SetColorSteps(0);  // no colours at all: nothing to draw
    colorSettings = &settings;
    image = Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS, 35, 35));
    colorSettings = nullptr;
    EXPECT_EQ(ColorCounts(image).size(), 1u);
}

TEST_F(BlockLayer, RendererDrawsOnAPrivateCopyOfTheGivenBitmap) {
    wxBitmap target = NewLayerBitmap(35, 35);
    BlockGridDataRenderer renderer(0.5, 0.5, 3.0, 3.0, 35, 35);
    for (const wxColour& c : BuiltInPalette()) {
        renderer.AddColor(c);
    }
    EXPECT_EQ(renderer.GetPaletteCount(), 5);
    renderer.SetBitmap(target);
    wxBitmap drawn = renderer.Render(*plot->GetPlot().GetUptakeGrid());
    EXPECT_EQ(PixelAt(Pixels(drawn), 20, 20), kHighest);
    EXPECT_EQ(PixelAt(Pixels(target), 20, 20), kBlack);
}
