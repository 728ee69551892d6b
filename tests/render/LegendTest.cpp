#include <gtest/gtest.h>

#include <cmath>

#include "RenderTestSupport.h"
#include "render/IsolineGridDataRenderer.h"
#include "render/Legend.h"
#include "render/LegendDrawing.h"

namespace {

struct RangeCase {
    const char* name;
    double minimum;
    double maximum;
    int colours;
};

// Whole-number ranges, a range in small units, a zero range, negative values.
const RangeCase kCases[] = {{"WholeNumbers", 0.4, 10.7, 5},
                            {"SmallUnits", 0.2, 0.9, 5},
                            {"ZeroRange", 3.5, 3.5, 5},
                            {"Negative", -5.5, 20.25, 7},
                            {"OneColour", 0.0, 4.0, 1}};

Palette Colours(int n) {
    ColorSettings settings;
    settings.SetUseCustomColors(true);
    settings.SetColorSteps(n);
    return BuildPalette(settings);
}

// The entry whose range holds the value, or -1.
int EntryHolding(const std::vector<LegendEntry>& entries, double value) {
    for (size_t k = 0; k < entries.size(); ++k) {
        const LegendEntry& e = entries[k];
        if (!e.empty && value >= e.low && (value < e.high || (e.closed && value <= e.high))) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

// Every value of the data range, each entry's bounds among them, lies in the
// range of exactly the entry the pick rule gives it.
void ExpectRangesFollowPick(const std::vector<LegendEntry>& entries, const RangeCase& c,
                            const std::function<int(double)>& pick) {
    ASSERT_EQ(entries.size(), size_t(c.colours));
    std::vector<double> values;
    for (int i = 0; i <= 1000; ++i) {
        values.push_back(c.minimum + (c.maximum - c.minimum) * i / 1000);
    }
    for (const LegendEntry& e : entries) {
        if (!e.empty) {
            values.push_back(e.low);
            values.push_back(e.closed ? e.high : std::nextafter(e.high, -INFINITY));
        }
    }
    for (double value : values) {
        EXPECT_EQ(EntryHolding(entries, value), pick(value)) << "value " << value;
    }
}

class LegendRanges : public testing::TestWithParam<RangeCase> {};

}  // namespace

TEST_P(LegendRanges, BlockRangesAreThoseOfThePaletteIndex) {
    const RangeCase c = GetParam();
    ExpectRangesFollowPick(
        BlockEntries(Colours(c.colours), c.minimum, c.maximum, false), c,
        [&](double v) { return PaletteIndex(v, c.minimum, c.maximum, c.colours); });
}

TEST_P(LegendRanges, LevelLineRangesAreThoseOfTheLevels) {
    const RangeCase c = GetParam();
    const IsolineLevels levels(c.minimum, c.maximum, c.colours);
    ExpectRangesFollowPick(IsolineEntries(Colours(c.colours), c.minimum, c.maximum, false), c,
                           [&](double v) { return levels.ColorIndex(v); });
}

INSTANTIATE_TEST_SUITE_P(Cases, LegendRanges, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Legend, TextsNameTheRangesOfTheData) {
    const std::vector<LegendEntry> whole = BlockEntries(Colours(5), 0.4, 10.7, false);
    EXPECT_EQ(whole[0].text, wxString::FromUTF8("0.4 \xE2\x80\x93 2"));
    EXPECT_EQ(whole[4].text, wxString::FromUTF8("8 \xE2\x80\x93 10.7"));
    // Every value equal: all of them take the last colour.
    const std::vector<LegendEntry> flat = BlockEntries(Colours(5), 3.5, 3.5, false);
    EXPECT_EQ(flat[0].text, "no values");
    EXPECT_EQ(flat[4].text, "3.5");
}

TEST(Legend, TreeCountsListWholeNumbersAndMayLeaveAColourUnused) {
    // Counts 0 to 3 over five colours: boundaries 0.6, 1.2, 1.8, 2.4.
    const std::vector<LegendEntry> counts = BlockEntries(Colours(5), 0, 3, true);
    const char* texts[] = {"0", "1", "no values", "2", "3"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(counts[k].text, texts[k]) << k;
    }
    for (int count = 0; count <= 3; ++count) {
        EXPECT_EQ(EntryHolding(counts, count), PaletteIndex(count, 0, 3, 5)) << count;
    }
    EXPECT_EQ(BlockEntries(Colours(5), 0, 12, true)[2].text,
              wxString::FromUTF8("5 \xE2\x80\x93 7"));
}

// The block layer really draws each cell in the colour of the swatch whose
// range holds the cell's value.
TEST(Legend, BlockLayerDrawsEachValueInItsSwatchColour) {
    TempDir dir;
    std::vector<PlotCell> cells;
    for (int i = 0; i < 40; ++i) {
        cells.push_back({double(i), 0.0, {0.4 + i * 0.2641}});  // 0.4 to 10.7
    }
    MakeGrid("plot.db", {"T1"}, cells);
    MakeStems("plot.db", {{"T1", 0.0, 0.0, 0.1, 1.0}});
    auto helper = OpenPlot("plot.db");
    helper->SetView(0, 0, 39, 0);
    const wxImage picture = Pixels(helper->RenderPlotLayers(LAYER_UPTAKE_BLOCKS, 400, 10));
    ColorSettings settings;
    const std::vector<LegendSection> legend =
        BuildLegend(*helper, {FindLayer(LayerGroup::Plot, LAYER_UPTAKE_BLOCKS)}, {}, settings);
    ASSERT_EQ(legend.size(), 1u);
    for (int i = 0; i < 40; ++i) {
        // The renderer reads values in single precision.
        const double value = float(0.4 + i * 0.2641);
        const int entry = EntryHolding(legend[0].entries, value);
        ASSERT_GE(entry, 0) << value;
        const wxColour c = legend[0].entries[entry].color;
        EXPECT_EQ(PixelAt(picture, i * 10 + 5, 5), (Rgb{c.Red(), c.Green(), c.Blue()})) << i;
    }
}

namespace {

// Text 6 pixels a character and 10 high; keeps what is drawn.
class FixedWidthTarget : public LegendTarget {
  public:
    wxSize TextSize(const wxString& text) override { return wxSize(6 * int(text.length()), 10); }
    int CharHeight() override { return 10; }
    void DrawText(const wxString& text, int, int) override { drawn.push_back(text); }
    void DrawSwatch(int, int, int, const wxColour&) override {}
    std::vector<wxString> drawn;
};

}  // namespace

TEST(LegendDrawing, TitleWiderThanThePanelWrapsAtSpacesAndIsNeverCut) {
    LegendSection section;
    section.title = "Total Nitrogen Uptake (blocks)";  // 180 pixels
    section.entries = {{wxColour(1, 2, 3), "0 - 5"}};
    FixedWidthTarget target;
    const wxSize whole = MeasureLegend(target, {section});
    const wxSize wrapped = MeasureLegend(target, {section}, 140);
    EXPECT_LE(wrapped.x, 140);
    EXPECT_EQ(wrapped.y, whole.y + 15);  // one line more
    DrawLegend(target, {section}, wxPoint(0, 0), 140);
    ASSERT_EQ(target.drawn.size(), 3u);
    EXPECT_EQ(target.drawn[0] + " " + target.drawn[1], section.title);
    // Wide enough: the same legend as without a width.
    EXPECT_EQ(MeasureLegend(target, {section}, 400), whole);
}
