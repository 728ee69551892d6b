// --aspect equal and --north-up: square cells centred between black margins,
// and the plot's largest y on the top row.
#include <gtest/gtest.h>

#include "CliSupport.h"

namespace {

// 60 by 40 unit cells of 1, with 2 in the cell (0, 0) and 3 in (59, 39).
void MakeWidePlot(const std::string& path) {
    std::vector<PlotCell> cells;
    for (int x = 0; x < 60; ++x) {
        for (int y = 0; y < 40; ++y) {
            const double value = x == 0 && y == 0 ? 2.0 : (x == 59 && y == 39 ? 3.0 : 1.0);
            cells.push_back({double(x), double(y), {value}});
        }
    }
    MakeGrid(path, cells, 1);
}

wxImage Draw(const std::vector<std::string>& shape) {
    std::vector<std::string> args = {"--size", "600x600", "--layers", "uptake-blocks"};
    args.insert(args.end(), shape.begin(), shape.end());
    const ProgramRun run = Export("shaped.png", "wide.db", args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return LoadPng("shaped.png");
}

// The length of the run of the pixel's colour from (x, y) rightward or downward.
int ColourRun(const wxImage& image, int x, int y, int dx, int dy) {
    const Rgb colour = PixelAt(image, x, y);
    int length = 0;
    while (x < image.GetWidth() && y < image.GetHeight() && PixelAt(image, x, y) == colour) {
        ++length;
        x += dx;
        y += dy;
    }
    return length;
}

}  // namespace

TEST(FrameShapeExport, TrueProportionsNorthUpAndBoth) {
    TempDir dir;
    MakeWidePlot("wide.db");
    const wxImage plain = Draw({});
    const Rgb two = PixelAt(plain, 5, 5);
    const Rgb three = PixelAt(plain, 595, 595);
    ASSERT_NE(two, three);

    // The view, 59 by 39 units, and one cell more fill 600 pixels across:
    // 10 a cell, 100 above and below.
    const wxImage equal = Draw({"--aspect", "equal"});
    EXPECT_EQ(PixelAt(equal, 300, 99), kBlack);
    EXPECT_EQ(PixelAt(equal, 300, 501), kBlack);
    EXPECT_EQ(PixelAt(equal, 0, 100), two);
    EXPECT_EQ(ColourRun(equal, 0, 100, 1, 0), ColourRun(equal, 0, 100, 0, 1));
    EXPECT_EQ(ColourRun(equal, 0, 100, 0, 1), 10);

    const wxImage north = Draw({"--north-up"});
    EXPECT_EQ(PixelAt(north, 5, 595), two);
    EXPECT_EQ(PixelAt(north, 595, 5), three);
    EXPECT_NE(PixelAt(north, 5, 5), two);

    const wxImage both = Draw({"--aspect=equal", "--north-up"});
    EXPECT_EQ(PixelAt(both, 5, 495), two);
    EXPECT_EQ(PixelAt(both, 595, 105), three);
    EXPECT_EQ(PixelAt(both, 300, 50), kBlack);

    EXPECT_EQ(RunQuenvar({"--export", "x.png", "--aspect", "round", "wide.db"}).exitCode, 2);
}
