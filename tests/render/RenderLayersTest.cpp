#include <gtest/gtest.h>

#include <cstdlib>

#include "RenderTestSupport.h"
#include "render/ColorSettings.h"

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kPlain{200, 100, 0};
const Rgb kHighest{255, 0, 0};
const Rgb kLowest{0, 0, 150};

// Whether the mask hides exactly the black pixels.
void ExpectMaskOnBlack(const wxBitmap& bitmap) {
    ASSERT_TRUE(bitmap.GetMask() != nullptr);
    wxImage pixels = Pixels(bitmap);
    wxImage mask = bitmap.GetMask()->GetBitmap().ConvertToImage();
    ASSERT_EQ(mask.GetWidth(), pixels.GetWidth());
    for (int y = 0; y < pixels.GetHeight(); ++y) {
        for (int x = 0; x < pixels.GetWidth(); ++x) {
            bool hidden = mask.GetRed(x, y) == 0;
            ASSERT_EQ(hidden, PixelAt(pixels, x, y) == kBlack) << x << "," << y;
        }
    }
}

bool FullyTransparent(const wxBitmap& bitmap) {
    wxImage pixels = Pixels(bitmap);
    wxImage mask = bitmap.GetMask()->GetBitmap().ConvertToImage();
    for (int y = 0; y < pixels.GetHeight(); ++y) {
        for (int x = 0; x < pixels.GetWidth(); ++x) {
            if (PixelAt(pixels, x, y) != kBlack || mask.GetRed(x, y) != 0) {
                return false;
            }
        }
    }
    return true;
}

// Unit cells (0..10, 0..10); tree T1 with uptake in every cell, growing
// with x; tree Q"u'ote with uptake 1 in a few cells; stems at (2, 2) and
// (8, 8), the second named with both kinds of quote.
const char* const kQuoted = "Q\"u'ote";

class LayerDrawing : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<PlotCell> cells;
        for (int x = 0; x <= 10; ++x) {
            for (int y = 0; y <= 10; ++y) {
                double quoted = (x >= 7 && x <= 9 && y >= 7 && y <= 9) ? 1.0 : 0.0;
                cells.push_back({double(x), double(y), {1.0 + x, quoted}});
            }
        }
        MakeGrid(dir.File("plot.db"), {"T1", kQuoted}, cells);
        MakeStems(dir.File("plot.db"), {{"T1", 2, 2, 1, 3}, {kQuoted, 8, 8, 1, 3}});
        plot = OpenPlot(dir.File("plot.db"));
        ASSERT_EQ(plot->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
        plot->SetView(0, 0, 10, 10);
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
};

}  // namespace

TEST_F(LayerDrawing, NoLayersGiveAFullyTransparentBitmap) {
    wxBitmap none = plot->RenderPlotLayers(0, 50, 40);
    EXPECT_EQ(none.GetWidth(), 50);
    EXPECT_EQ(none.GetHeight(), 40);
    EXPECT_TRUE(FullyTransparent(none));
    EXPECT_TRUE(FullyTransparent(plot->RenderPlotLayers(LAYER_HIGHLIGHT, 50, 40)));
    // A viewer without area still gets a bitmap.
    EXPECT_TRUE(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS, 0, -3).IsOk());
}

TEST_F(LayerDrawing, MaskCoversExactlyTheBlackPixels) {
    ExpectMaskOnBlack(plot->RenderPlotLayers(
        LAYER_UPTAKE_BLOCKS | LAYER_STEM_LABELS | LAYER_SCALE | LAYER_COUNT_CLOUDS, 110, 110));
    ExpectMaskOnBlack(
        plot->RenderStemLayers(STEM_LAYER_CLOUD | STEM_LAYER_ISOLINES, "T1", 110, 110));
}

TEST_F(LayerDrawing, LaterLayersDrawOverEarlierOnes) {
    // 110 pixels for 10 units plus a cell: 10 pixels per unit on the grid,
    // 11 on the stems. The stem at (2, 2) sits at pixel (22, 22).
    wxImage image =
        Pixels(plot->RenderPlotLayers(LAYER_UPTAKE_BLOCKS | LAYER_STEMS_PLAIN, 110, 110));
    EXPECT_EQ(PixelAt(image, 22, 22), kPlain);
    EXPECT_EQ(PixelAt(image, 5, 50), kLowest);
    EXPECT_EQ(PixelAt(image, 105, 50), kHighest);
}

TEST_F(LayerDrawing, HighlightedStemsAreWhiteCirclesOnTop) {
    plot->AddHighlightedStem("T1");
    plot->AddHighlightedStem("T1");
    ASSERT_EQ(plot->GetHighlightedStems().size(), 1u);
    wxImage image = Pixels(plot->RenderPlotLayers(LAYER_STEMS_PLAIN | LAYER_HIGHLIGHT, 110, 110));
    // DBH 1: radius 11 pixels, over the plain dot of radius 10.
    EXPECT_EQ(PixelAt(image, 22, 22), kWhite);
    EXPECT_EQ(PixelAt(image, 88, 88), kPlain);

    // A name with both quote characters is found like any other.
    plot->AddHighlightedStem(wxString::FromUTF8(kQuoted));
    image = Pixels(plot->RenderPlotLayers(LAYER_HIGHLIGHT, 110, 110));
    EXPECT_EQ(PixelAt(image, 22, 22), kWhite);
    EXPECT_EQ(PixelAt(image, 88, 88), kWhite);

    plot->RemoveHighlightedStem("T1");
    image = Pixels(plot->RenderPlotLayers(LAYER_HIGHLIGHT, 110, 110));
    EXPECT_EQ(PixelAt(image, 22, 22), kBlack);
    EXPECT_EQ(PixelAt(image, 88, 88), kWhite);
}

TEST_F(LayerDrawing, StemBlocksUseTheBuiltInScaleWhateverTheSettings) {
    ColorSettings settings;
    settings.SetUseCustomColors(true);
    settings.SetColorSteps(2);
    colorSettings = &settings;
    wxImage image = Pixels(plot->RenderStemLayers(STEM_LAYER_BLOCKS, "T1", 110, 110));
    colorSettings = nullptr;
    // The tree's own uptake, 1 to 11, as blocks: lowest at the left edge,
    // highest at the right.
    EXPECT_EQ(PixelAt(image, 5, 50), kLowest);
    EXPECT_EQ(PixelAt(image, 105, 50), kHighest);
}

TEST_F(LayerDrawing, StemLayersOfAQuotedNameDrawItsOwnCells) {
    wxBitmap bitmap =
        plot->RenderStemLayers(STEM_LAYER_BLOCKS, wxString::FromUTF8(kQuoted), 110, 110);
    wxImage image = Pixels(bitmap);
    // All its cells hold 1, the maximum: the last colour, and only there.
    EXPECT_EQ(PixelAt(image, 80, 80), kHighest);
    EXPECT_EQ(PixelAt(image, 50, 50), kBlack);
    EXPECT_EQ(PixelAt(image, 20, 80), kBlack);
}

TEST_F(LayerDrawing, StemCloudUsesTheStemsColour) {
    plot->SetStemColor("T1", wxColour(10, 20, 30));
    wxImage image = Pixels(plot->RenderStemLayers(STEM_LAYER_CLOUD, "T1", 110, 110));
    auto colors = ColorCounts(image);
    EXPECT_EQ(colors.size(), 2u);
    EXPECT_EQ(colors.count(Rgb{10, 20, 30}), 1u);
}

TEST_F(LayerDrawing, UnknownStemDrawsNothing) {
    EXPECT_TRUE(FullyTransparent(plot->RenderStemLayers(7, "Nobody", 60, 60)));
    // Known in the grid but without a stem row.
    ExecSql(dir.File("plot.db"), "DELETE FROM stem WHERE Xrot0 = 2");
    EXPECT_TRUE(FullyTransparent(plot->RenderStemLayers(7, "T1", 60, 60)));
}

TEST_F(LayerDrawing, StemColourIsDrawnOnceAndKept) {
    std::srand(99);
    wxColour first = plot->GetStemColor("T1");
    std::srand(99);
    int red = std::rand() % 255;
    int green = std::rand() % 255;
    int blue = std::rand() % 255;
    EXPECT_EQ(first, wxColour(red, green, blue));
    EXPECT_EQ(first.Alpha(), 255);
    EXPECT_EQ(plot->GetStemColor("T1"), first);

    // A colour set first means no random colour is ever drawn for it.
    plot->SetStemColor("Other", wxColour(1, 2, 3));
    std::srand(5);
    EXPECT_EQ(plot->GetStemColor("Other"), wxColour(1, 2, 3));
    EXPECT_EQ(RandCallsSince(5), 0);
}

TEST_F(LayerDrawing, NearestStemKeepsTheFirstOfEqualDistances) {
    EXPECT_EQ(plot->FindNearestStem(3, 3), "T1");
    EXPECT_EQ(plot->FindNearestStem(7.5, 7), wxString::FromUTF8(kQuoted));
    EXPECT_EQ(plot->FindNearestStem(5, 5), "T1");  // halfway: the first in the table
    EXPECT_EQ(plot->FindNearestStem(2e5, 2e5), "none");
}

TEST(NearestStem, NoStemsGiveNone) {
    TempDir dir;
    MakeStems(dir.File("empty.db"), {});
    MakeGrid(dir.File("empty.db"), {"T1"}, {{0, 0, {1}}, {1, 0, {2}}});
    auto plot = OpenPlot(dir.File("empty.db"));
    EXPECT_EQ(plot->FindNearestStem(0, 0), "none");
}

TEST(RenderHelperView, StartsAtTheFullExtentAndMovesAlone) {
    TempDir dir;
    MakeGrid(dir.File("plot.db"), {"T1"}, {{0, 0, {1}}, {50, 30, {2}}});
    MakeStems(dir.File("plot.db"), {{"T1", -2, 35, 1, 3}});
    auto plot = OpenPlot(dir.File("plot.db"));
    EXPECT_EQ(plot->GetViewXMin(), -2.0);
    EXPECT_EQ(plot->GetViewYMax(), 35.0);
    plot->SetView(1, 2, 3, 4);
    EXPECT_EQ(plot->GetViewXMin(), 1.0);
    EXPECT_EQ(plot->GetViewYMax(), 4.0);
    EXPECT_EQ(plot->GetFullXMin(), -2.0);
}
