#include <gtest/gtest.h>

#include <cstdlib>

#include "RenderTestSupport.h"
#include "data/GridData.h"
#include "render/CloudGridDataRenderer.h"

namespace {

const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};
const unsigned kSeed = 4242;

// Unit cells along y = 1: (1, 1) holds the maximum 10, (3, 1) holds 2.5
// (a share of 4.5 dots of 18), (5, 1) holds 0; (7, 1) has uptake 3 - 3 = 0
// from two trees but counts one tree. A view of one unit around a cell
// selects that cell alone.
class CloudLayer : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<PlotCell> cells;
        for (int x = 0; x < 9; ++x) {
            for (int y = 0; y < 3; ++y) {
                cells.push_back({double(x), double(y), {0.0, 0.0}});
            }
        }
        auto set = [&](int x, int y, double a, double b) { cells[x * 3 + y].values = {a, b}; };
        set(1, 1, 10.0, 0.0);
        set(3, 1, 2.5, 0.0);
        set(7, 1, 3.0, -3.0);
        MakeGrid(dir.File("plot.db"), {"T1", "T2"}, cells);
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
    }

    // Dots drawn for the view around cell (x, 1), with the picture.
    int DotsAround(int x, uint32_t flag, wxImage& image) {
        plot->SetView(x - 0.5, 0.5, x + 0.5, 1.5);
        std::srand(kSeed);
        image = Pixels(plot->RenderPlotLayers(flag, 200, 200));
        return RandCallsSince(kSeed) / 2;
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

// All coloured pixels lie in the cell's square (shifted a pixel up and left)
// and have exactly the cloud's colour.
void ExpectDotsInsideCell(const wxImage& image, Rgb color) {
    // 100 pixels per unit: the cell's corner is at pixel 50.
    int coloured = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            Rgb pixel = PixelAt(image, x, y);
            if (pixel == kBlack) {
                continue;
            }
            ++coloured;
            ASSERT_EQ(pixel, color) << x << "," << y;
            ASSERT_TRUE(x >= 49 && x <= 151 && y >= 49 && y <= 151) << x << "," << y;
        }
    }
    EXPECT_GT(coloured, 0);
}

}  // namespace

TEST_F(CloudLayer, MaximumCellGetsEighteenDots) {
    wxImage image;
    EXPECT_EQ(DotsAround(1, LAYER_UPTAKE_CLOUDS, image), 18);
    ExpectDotsInsideCell(image, kRed);
}

TEST_F(CloudLayer, PartialShareRoundsUp) {
    wxImage image;
    EXPECT_EQ(DotsAround(3, LAYER_UPTAKE_CLOUDS, image), 5);
    ExpectDotsInsideCell(image, kRed);
}

TEST_F(CloudLayer, ZeroCellsAndCellsOnTheViewsEdgeGetNoDots) {
    wxImage image;
    EXPECT_EQ(DotsAround(5, LAYER_UPTAKE_CLOUDS, image), 0);
    EXPECT_EQ(ColorCounts(image).size(), 1u);

    // The cell (1, 1) lies on the left and top edges of this view.
    plot->SetView(1.0, 1.0, 1.9, 1.9);
    std::srand(kSeed);
    image = Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_CLOUDS, 200, 200));
    EXPECT_EQ(RandCallsSince(kSeed), 0);
    EXPECT_EQ(ColorCounts(image).size(), 1u);
}

TEST_F(CloudLayer, TreeCountCloudDrawsTheCounts) {
    // Uptake 0 but one tree: the count cloud shows it, in blue, at the
    // maximum count of 1.
    wxImage image;
    EXPECT_EQ(DotsAround(7, LAYER_COUNT_CLOUDS, image), 18);
    ExpectDotsInsideCell(image, kBlue);
    EXPECT_EQ(DotsAround(7, LAYER_UPTAKE_CLOUDS, image), 0);
}

namespace {

// One cell at (1, 1) with a value and a maximum that need not agree, as
// no data set read from a file would report.
class OneCellGrid : public GridData {
  public:
    OneCellGrid(double value, double maximum) : GridData(1), value(value), maximum(maximum) {}
    double GetMaxValue() override { return maximum; }
    void First() override { valid = true; }
    bool IsValid() override { return valid; }
    void Next() override { valid = false; }
    double GetValue() override { return value; }
    double GetX() override { return 1.0; }
    double GetY() override { return 1.0; }
    const char* GetXColumn() override { return "x_coord"; }
    const char* GetYColumn() override { return "y_coord"; }

  private:
    double value;
    double maximum;
    bool valid = false;
};

int DotsFor(OneCellGrid& grid, int density) {
    CloudGridDataRenderer renderer(0.5, 0.5, 1.5, 1.5, 200, 200);
    renderer.SetColor(wxColour(255, 0, 0));
    renderer.SetBitmap(NewLayerBitmap(200, 200));
    renderer.SetDensity(density);
    std::srand(kSeed);
    renderer.Render(grid);
    return RandCallsSince(kSeed) / 2;
}

}  // namespace

TEST(CloudRenderer, DotsPerCellNeverExceedTheDensity) {
    OneCellGrid aboveMaximum(50.0, 5.0);
    EXPECT_EQ(DotsFor(aboveMaximum, 18), 18);
    EXPECT_EQ(DotsFor(aboveMaximum, 3), 3);
    OneCellGrid atMaximum(5.0, 5.0);
    EXPECT_EQ(DotsFor(atMaximum, 0), 0);
}

TEST(CloudRenderer, NoPositiveMaximumDrawsNoDots) {
    OneCellGrid zeroMaximum(5.0, 0.0);
    EXPECT_EQ(DotsFor(zeroMaximum, 18), 0);
    OneCellGrid negativeMaximum(5.0, -2.0);
    EXPECT_EQ(DotsFor(negativeMaximum, 18), 0);
}
