#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "render/PointDataRenderer.h"

namespace {

const Rgb kPlain{200, 100, 0};
const Rgb kCrown{0, 150, 0};
const Rgb kDbh{150, 60, 0};
const Rgb kLabel{1, 1, 1};
const Rgb kWhite{255, 255, 255};

// Stems on a 100 by 100 view drawn at 200 by 200 pixels: 2 pixels per unit.
class StemMaps : public testing::Test {
  protected:
    void SetUp() override {
        MakeStems(dir.File("plot.db"), {
                                           {"Centre", 50, 50, 5, 10},
                                           {"Corner", 100, 100, 0.4, 0},
                                           {"Outside", 104, 20, 0, 10},
                                           {"Origin", 0, 0, 3, 0},
                                           {"Near", 95, 95, 0, 0},
                                       });
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
        plot->SetView(0, 0, 100, 100);
    }

    wxImage Draw(uint32_t flags) { return Pixels(plot->RenderPlotLayers(flags, 200, 200)); }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

}  // namespace

TEST_F(StemMaps, PlainMapDrawsDotsTwentyPixelsAcrossForStemsInTheView) {
    wxImage image = Draw(LAYER_STEMS_PLAIN);
    // Centre at pixel (100, 100): a dot in the box (90, 90) to (110, 110).
    EXPECT_EQ(PixelAt(image, 100, 100), kPlain);
    EXPECT_EQ(PixelAt(image, 92, 100), kPlain);
    EXPECT_EQ(PixelAt(image, 100, 108), kPlain);
    EXPECT_EQ(PixelAt(image, 100, 85), kBlack);
    EXPECT_EQ(PixelAt(image, 91, 91), kBlack);  // outside the circle, inside the box
    // Corner exactly on the view's far edge is drawn; Outside, whose dot
    // would reach in, is not.
    EXPECT_EQ(PixelAt(image, 195, 195), kPlain);
    EXPECT_EQ(PixelAt(image, 199, 40), kBlack);
    EXPECT_EQ(PixelAt(image, 3, 3), kPlain);  // Origin on the near edge
    EXPECT_EQ(ColorCounts(image).size(), 2u);
}

TEST_F(StemMaps, SizedMapsUseTheColumnAsRadius) {
    wxImage crown = Draw(LAYER_STEMS_CROWN);
    // Crown 10 units: radius 20 pixels around (100, 100).
    EXPECT_EQ(PixelAt(crown, 100, 100), kCrown);
    EXPECT_EQ(PixelAt(crown, 100, 82), kCrown);
    EXPECT_EQ(PixelAt(crown, 118, 100), kCrown);
    EXPECT_EQ(PixelAt(crown, 100, 77), kBlack);
    EXPECT_EQ(PixelAt(crown, 82, 82), kBlack);
    // Outside the view but reaching into it: drawn and clipped.
    EXPECT_EQ(PixelAt(crown, 199, 40), kCrown);
    // Crown 0: nothing at all.
    EXPECT_EQ(PixelAt(crown, 199, 199), kBlack);
    EXPECT_EQ(ColorCounts(crown).size(), 2u);

    wxImage dbh = Draw(LAYER_STEMS_DBH);
    // DBH 5: radius 10 pixels; 0.4 is below one pixel and draws nothing.
    EXPECT_EQ(PixelAt(dbh, 100, 100), kDbh);
    EXPECT_EQ(PixelAt(dbh, 100, 92), kDbh);
    EXPECT_EQ(PixelAt(dbh, 100, 87), kBlack);
    EXPECT_EQ(PixelAt(dbh, 199, 199), kBlack);
    EXPECT_EQ(PixelAt(dbh, 1, 1), kDbh);  // Origin, radius 6, a quarter visible
}

TEST_F(StemMaps, LabelsSitOnWhiteBoxesAtTheStem) {
    wxImage image = Draw(LAYER_STEM_LABELS);
    int text = 0;
    int box = 0;
    for (int y = 100; y < 125; ++y) {
        for (int x = 100; x < 160; ++x) {
            text += PixelAt(image, x, y) == kLabel;
            box += PixelAt(image, x, y) == kWhite;
        }
    }
    EXPECT_GT(text, 10);
    EXPECT_GT(box, 10);
    EXPECT_EQ(PixelAt(image, 100, 100), kWhite);  // the box's top-left corner
    EXPECT_EQ(PixelAt(image, 99, 100), kBlack);
    EXPECT_EQ(PixelAt(image, 100, 99), kBlack);
    // A label near the far corner runs off the bitmap and is clipped.
    EXPECT_EQ(PixelAt(image, 190, 190), kWhite);
    EXPECT_NE(PixelAt(image, 199, 199), kBlack);
    for (const auto& [color, count] : ColorCounts(image)) {
        EXPECT_TRUE(color == kBlack || color == kLabel || color == kWhite) << color;
    }
}

TEST_F(StemMaps, ViewWithoutWidthOrHeightDrawsNoStems) {
    plot->SetView(50, 0, 50, 100);
    EXPECT_EQ(ColorCounts(
                  Draw(LAYER_STEMS_PLAIN | LAYER_STEMS_CROWN | LAYER_STEMS_DBH | LAYER_STEM_LABELS))
                  .size(),
              1u);
    plot->SetView(0, 50, 100, 50);
    EXPECT_EQ(ColorCounts(
                  Draw(LAYER_STEMS_PLAIN | LAYER_STEMS_CROWN | LAYER_STEMS_DBH | LAYER_STEM_LABELS))
                  .size(),
              1u);
}

TEST_F(StemMaps, FarZoomKeepsCirclesDrawable) {
    // A millionth of a unit across: the crown's radius is far beyond what
    // the toolkit can draw, yet the view lies inside it.
    plot->SetView(49.9999995, 49.9999995, 50.0000005, 50.0000005);
    wxImage image = Draw(LAYER_STEMS_CROWN);
    EXPECT_EQ(PixelAt(image, 0, 0), kCrown);
    EXPECT_EQ(PixelAt(image, 199, 199), kCrown);
}
