// --range: two plots of different maxima drawn on one fixed range give equal
// values equal colours.
#include <gtest/gtest.h>

#include "CliSupport.h"

namespace {

// Four by three unit cells of one tree; the cell (1, 1) holds 2 in every
// plot, and the highest value is the plot's own.
void MakeRangePlot(const std::string& path, double highest) {
    std::vector<PlotCell> cells;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 3; ++y) {
            const double value = x == 1 && y == 1 ? 2.0 : (x == 3 && y == 2 ? highest : 1.0);
            cells.push_back({double(x), double(y), {value}});
        }
    }
    MakeGrid(path, cells, 1);
}

// The colour of the cell (1, 1) at 100 pixels a cell.
Rgb ColourOfTwo(const std::string& plot, const std::vector<std::string>& range) {
    std::vector<std::string> args = {"--size", "400x300", "--layers", "uptake-blocks"};
    args.insert(args.end(), range.begin(), range.end());
    const ProgramRun run = Export(plot + ".png", plot, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return PixelAt(LoadPng(plot + ".png"), 150, 150);
}

}  // namespace

TEST(RangeExport, EqualValuesGetEqualColoursOnOneFixedRange) {
    TempDir dir;
    MakeRangePlot("ten.db", 10.0);
    MakeRangePlot("four.db", 4.0);
    // Each on its own range, 2 takes different colours...
    EXPECT_NE(ColourOfTwo("ten.db", {}), ColourOfTwo("four.db", {}));
    // ...on one range the same: 2 of 0 to 5 in five colours is the third.
    const std::vector<std::string> range = {"--range", "uptake=0,5", "--range=count=0,3"};
    const Rgb ten = ColourOfTwo("ten.db", range);
    EXPECT_EQ(ten, (Rgb{100, 200, 0}));
    EXPECT_EQ(ColourOfTwo("four.db", range), ten);
    // Above MAX the last colour.
    EXPECT_EQ(PixelAt(LoadPng("ten.db.png"), 350, 250), (Rgb{255, 0, 0}));
}
