// The class rules at their edges, the smooth gradient's formula, and the
// blocks, legend and level lines of one plot agreeing under each rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "RenderTestSupport.h"
#include "render/Legend.h"
#include "render/PlotPainter.h"
#include "render/ValueClasses.h"

namespace {

ValueClasses Classes(ClassRule rule, std::vector<double> values,
                     std::optional<ValueRange> fixed = std::nullopt) {
    std::sort(values.begin(), values.end());
    ValueDistribution distribution{values.front(), values.back(),
                                   std::make_shared<const std::vector<double>>(values)};
    return ValueClasses(rule, 5, distribution, fixed);
}

std::vector<int> ClassesOf(const ValueClasses& classes, const std::vector<double>& values) {
    std::vector<int> result;
    for (double value : values) {
        result.push_back(classes.ClassOf(value));
    }
    return result;
}

}  // namespace

TEST(ValueClasses, QuantilesCountTheValuesBelowAndKeepTiesTogether) {
    const std::vector<double> tied = {1, 1, 1, 2, 3};
    EXPECT_EQ(ClassesOf(Classes(ClassRule::Quantile, tied), tied),
              (std::vector<int>{0, 0, 0, 3, 4}));
    const std::vector<double> negative = {-3, -1, 2, 8};
    EXPECT_EQ(ClassesOf(Classes(ClassRule::Quantile, negative), negative),
              (std::vector<int>{0, 1, 2, 3}));
    // All equal, and a single cell: none lies below.
    EXPECT_EQ(Classes(ClassRule::Quantile, {4, 4, 4}).ClassOf(4), 0);
    EXPECT_EQ(Classes(ClassRule::Quantile, {7}).ClassOf(7), 0);
    // On a fixed range only the values inside count; the others clamp.
    const ValueClasses fixed = Classes(ClassRule::Quantile, {1, 2, 3, 4, 6, 9}, ValueRange{0, 5});
    EXPECT_EQ(ClassesOf(fixed, {-1, 1, 3, 4, 6, 9}), (std::vector<int>{0, 0, 2, 3, 4, 4}));
    // A class no value takes is listed as empty.
    const ValueClasses gaps = Classes(ClassRule::Quantile, tied);
    EXPECT_TRUE(gaps.ClassBounds(1).empty);
    EXPECT_EQ(gaps.ClassBounds(0).high, 1.0);
}

TEST(ValueClasses, LogStepsRunFromTheSmallestToTheLargestValueAboveZero) {
    const std::vector<double> values = {-3, -1, 2, 4, 8};
    // ln 4 / ln 4 * 5 = 5 clamps to the last class; 4 is half way.
    EXPECT_EQ(ClassesOf(Classes(ClassRule::Log, values), values),
              (std::vector<int>{0, 0, 0, 2, 4}));
    EXPECT_EQ(Classes(ClassRule::Log, {4, 4}).ClassOf(4), 4);
    const ValueClasses fixed = Classes(ClassRule::Log, {1, 2}, ValueRange{1, 100});
    EXPECT_EQ(ClassesOf(fixed, {0.5, 10, 1000}), (std::vector<int>{0, 2, 4}));
    EXPECT_NEAR(fixed.ClassBounds(1).low, std::pow(10.0, 0.4), 1e-9);
}

TEST(ValueClasses, SmoothGradientBlendsNeighbouringColoursAndNeverGivesBlack) {
    const Palette builtIn = BuiltInPalette();
    EXPECT_EQ(GradientColor(builtIn, 0.0), wxColour(0, 0, 150));
    EXPECT_EQ(GradientColor(builtIn, 1.0), wxColour(255, 0, 0));
    EXPECT_EQ(GradientColor(builtIn, 0.5), wxColour(100, 200, 0));
    // p = 0.5 between (0, 0, 150) and (0, 150, 100).
    EXPECT_EQ(GradientColor(builtIn, 0.125), wxColour(0, 75, 125));
    EXPECT_EQ(GradientColor({wxColour(0, 0, 0), wxColour(10, 10, 10)}, 0.0), wxColour(1, 1, 1));
}

namespace {

// Eight by six cells of half a metre from (100, 200): a skewed tree, a tree
// with losses, and an empty corner. Every value is a multiple of a quarter,
// exact in single precision.
std::vector<PlotCell> SkewedCells() {
    std::vector<PlotCell> cells;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 6; ++j) {
            const double skewed = std::pow(2.0, (i * 6 + j) % 11) / 4;
            const double losses = (i + j) % 5 == 0 ? -1.5 : 0.25 * j;
            const bool empty = i == 0 && j < 2;
            cells.push_back(
                {100 + 0.5 * i, 200 + 0.5 * j, {empty ? 0 : skewed, empty ? 0 : losses}});
        }
    }
    return cells;
}

// The class of each rule written out here, apart from the program's.
int ExpectedClass(ClassRule rule, double v, const std::vector<double>& sorted) {
    if (rule == ClassRule::Quantile) {
        const long below = std::lower_bound(sorted.begin(), sorted.end(), v) - sorted.begin();
        return std::min<long>(4, 5 * below / long(sorted.size()));
    }
    const double low = *std::upper_bound(sorted.begin(), sorted.end(), 0.0);
    const double k =
        std::trunc((std::log(v) - std::log(low)) * 5 / (std::log(sorted.back()) - std::log(low)));
    return v <= 0 ? 0 : int(std::clamp(k, 0.0, 4.0));
}

class ClassesOnAPlot : public testing::TestWithParam<ClassRule> {
  protected:
    void SetUp() override {
        cells = SkewedCells();
        MakeGrid(dir.File("plot.db"), cells, 2);
        MakeStems(dir.File("plot.db"), {{"T1", 101, 201, 0.1, 1}, {"T2", 102, 202, 0.1, 1}});
        plot = std::make_unique<PlotFile>(wxString::FromUTF8(dir.File("plot.db")),
                                          ProgressMonitor(0, 0));
        for (const PlotCell& cell : cells) {
            const double total = cell.values[0] + cell.values[1];
            if (total != 0.0) {
                sorted.push_back(total);
            }
        }
        std::sort(sorted.begin(), sorted.end());
        ColorSettings settings;
        settings.SetClassRule(RangeFamily::Uptake, GetParam());
        style = StyleOf(settings);
    }

    // The picture of a layer at 100 pixels a plot unit: 50 a cell.
    wxImage Draw(const char* key) {
        PlotPainter painter(*plot);
        return Pixels(painter.RenderLayer(*FindLayer(key), wxString(), painter.GetFullExtent(), 400,
                                          300, style));
    }

    TempDir dir;
    std::vector<PlotCell> cells;
    std::vector<double> sorted;
    std::unique_ptr<PlotFile> plot;
    PictureStyle style;
};

}  // namespace

TEST_P(ClassesOnAPlot, BlocksLegendAndLevelLinesAgree) {
    const wxImage blocks = Draw("uptake-blocks");
    const wxImage lines = Draw("uptake-isolines");
    PlotPainter painter(*plot);
    const std::vector<LegendSection> legend =
        BuildLegend(painter, {FindLayer("uptake-blocks")}, {}, style);
    ASSERT_EQ(legend.size(), 1u);
    ASSERT_EQ(legend[0].entries.size(), 5u);
    ASSERT_GT(ColorCounts(lines).size(), 2u);  // lines of more than one class
    const Palette palette = BuiltInPalette();
    for (const PlotCell& cell : cells) {
        const double v = cell.values[0] + cell.values[1];
        const int x = int(std::lround((cell.x - 100) * 100));
        const int y = int(std::lround((cell.y - 200) * 100));
        SCOPED_TRACE(testing::Message() << "cell " << cell.x << " " << cell.y << " of " << v);
        if (v == 0.0) {
            EXPECT_EQ(PixelAt(blocks, x + 25, y + 25), kBlack);
            continue;
        }
        const int k = ExpectedClass(GetParam(), v, sorted);
        const wxColour& colour = palette[k];
        EXPECT_EQ(PixelAt(blocks, x + 25, y + 25),
                  (Rgb{colour.Red(), colour.Green(), colour.Blue()}));
        const LegendEntry& entry = legend[0].entries[k];
        EXPECT_FALSE(entry.empty);
        EXPECT_TRUE(entry.text.StartsWith(wxString::FromUTF8("\xE2\x89\xA4")) ||
                    v >= entry.low - 1e-9);
        EXPECT_TRUE(entry.text.StartsWith(wxString::FromUTF8("\xE2\x89\xA5")) ||
                    v <= entry.high + 1e-9);
        // A line inside the cell takes the colour of its class.
        for (int py = y + 3; py < y + 47; ++py) {
            for (int px = x + 3; px < x + 47; ++px) {
                const Rgb line = PixelAt(lines, px, py);
                if (line != kBlack) {
                    ASSERT_EQ(line, (Rgb{colour.Red(), colour.Green(), colour.Blue()}));
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, ClassesOnAPlot,
                         testing::Values(ClassRule::Quantile, ClassRule::Log));
