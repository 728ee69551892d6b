// --compare and series: the change between two plots of one grid drawn, read
// out and counted; grids that do not match refused; several plots drawn in
// one run with one broken among them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "CliSupport.h"

namespace {

// 4 x 3 unit cells. "a.db" has trees A (1 in column 1) and B (1 everywhere);
// "b.db" has B (2 in column 2) and C (1 in column 0), A being gone. The
// total changes by +1, -1, +1 and 0 from column 0 to column 3.
void MakePair() {
    std::vector<PlotCell> a;
    std::vector<PlotCell> b;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 3; ++y) {
            a.push_back({double(x), double(y), {x == 1 ? 1.0 : 0.0, 1.0}});
            b.push_back({double(x), double(y), {x == 2 ? 2.0 : 1.0, x == 0 ? 1.0 : 0.0}});
        }
    }
    MakeGrid("a.db", {"A", "B"}, a);
    MakeStems("a.db", {{"A", 1, 1, 0.2, 1}, {"B", 2, 1, 0.2, 1}});
    MakeGrid("b.db", {"B", "C"}, b);
    MakeStems("b.db", {{"B", 2, 1, 0.2, 1}, {"C", 0, 1, 0.2, 1}});
}

// a.db's grid moved by (dx, dy), its cells scaled by size.
void MakeMoved(const std::string& path, double dx, double size) {
    std::vector<PlotCell> cells;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 3; ++y) {
            cells.push_back({x * size + dx, y * size, {1.0, 1.0}});
        }
    }
    MakeGrid(path, {"A", "B"}, cells);
}

// The colours of a picture's pixels.
std::set<std::string> Colours(const wxImage& image) {
    std::set<std::string> colours;
    for (int px = 0; px < image.GetWidth(); ++px) {
        for (int py = 0; py < image.GetHeight(); ++py) {
            const Rgb c = PixelAt(image, px, py);
            colours.insert(std::to_string(c.r) + "," + std::to_string(c.g) + "," +
                           std::to_string(c.b));
        }
    }
    return colours;
}

}  // namespace

TEST(CompareTest, ChangeGridsHoldOtherMinusOpenInEveryCell) {
    TempDir dir;
    MakePair();
    auto grid = [](const std::vector<std::string>& layer) {
        std::vector<std::string> args = {"grid", "a.db", "--compare", "b.db", "--output", "d.asc"};
        args.insert(args.end(), layer.begin(), layer.end());
        return RunQuenvar(args, {true});
    };
    const std::vector<double> row = {1, -1, 1, 0};
    ASSERT_EQ(grid({"--layer", "uptake-diff"}).exitCode, 0);
    std::vector<double> expected;
    for (int y = 0; y < 3; ++y) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(AsciiGridValues("d.asc"), expected);
    // A, gone from b.db, loses its column 1; C, new, gains column 0.
    ASSERT_EQ(grid({"--layer", "tree-diff", "--tree", "A"}).exitCode, 0);
    EXPECT_EQ(AsciiGridValues("d.asc")[1], -1.0);
    EXPECT_EQ(AsciiGridValues("d.asc")[4], 0.0);
    ASSERT_EQ(grid({"--layer", "tree-diff", "--tree", "C"}).exitCode, 0);
    EXPECT_EQ(AsciiGridValues("d.asc")[8], 1.0);
    EXPECT_EQ(RunQuenvar({"grid", "a.db", "--layer", "uptake-diff", "--output", "e.asc"}).exitCode,
              2);
    EXPECT_FALSE(std::filesystem::exists("e.asc"));
}

TEST(CompareTest, ChangesAreDrawnCountedAndReadOtherMinusOpen) {
    TempDir dir;
    MakePair();
    const ProgramRun run =
        Export("d.png", "a.db",
               {"--size", "400x300", "--layers", "uptake-diff-blocks", "--compare", "b.db"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const wxImage image = LoadPng("d.png");
    const Rgb gain = PixelAt(image, 50, 150);
    const Rgb loss = PixelAt(image, 150, 150);
    EXPECT_EQ(PixelAt(image, 250, 150), gain);
    EXPECT_EQ(PixelAt(image, 350, 150), kBlack);  // no change
    EXPECT_NE(gain, kBlack);
    EXPECT_NE(loss, kBlack);
    EXPECT_NE(gain, loss);
    // Mirrored: the gain is red-heavy, the loss blue-heavy.
    EXPECT_GT(gain.r, gain.b);
    EXPECT_GT(loss.b, loss.r);

    // A, gone from b.db, counts 0 there; C, new, 0 in a.db.
    const std::string stats = RunQuenvar({"stats", "a.db", "--compare", "b.db"}).out;
    EXPECT_NE(stats.find(",uptake_compared,uptake_change,"), std::string::npos) << stats;
    EXPECT_NE(stats.find("\nA,1,1,3,3,3,0.2,1.5,1.5,0.707106781,1.58113883,3,3,0,-3,0,-3,0,-3,0,"
                         "-0.2\n"),
              std::string::npos)
        << stats;
    EXPECT_NE(stats.find("\nB,2,1,12,12,12,0.8,2,1.5,0.5,2.12132034,3,3,15,3,12,0,"),
              std::string::npos)
        << stats;
    EXPECT_NE(stats.find("\nC,,,0,0,0,0,,,,,0,0,3,3,3,3,"), std::string::npos) << stats;

    const std::string at = RunQuenvar({"--at", "1,1", "--compare", "b.db", "a.db"}).out;
    EXPECT_NE(at.find("uptake\t2\nuptake_compared\t1\nuptake_change\t-1\n"), std::string::npos)
        << at;
}

TEST(CompareTest, GridsThatDoNotMatchAreRefused) {
    TempDir dir;
    MakePair();
    MakeMoved("shifted.db", 0.25, 1.0);
    MakeMoved("finer.db", 0.0, 0.5);
    for (const char* other : {"shifted.db", "finer.db"}) {
        const ProgramRun run =
            Export("d.png", "a.db", {"--layers", "uptake-diff-blocks", "--compare", other});
        EXPECT_EQ(run.exitCode, 2) << other;
        EXPECT_NE(run.err.find("do not match"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(other), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists("d.png"));
        EXPECT_EQ(RunQuenvar({"stats", "a.db", "--compare", other}).exitCode, 2);
    }
}

TEST(CompareTest, ASeriesWritesEveryReadablePlotWithTheSameTreeColours) {
    TempDir dir;
    // B rises from column 0 to 3 in both; it is the second tree of one.
    std::vector<PlotCell> two;
    std::vector<PlotCell> one;
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 3; ++y) {
            two.push_back({double(x), double(y), {1.0, x + 1.0}});
            one.push_back({double(x), double(y), {x + 1.0}});
        }
    }
    MakeGrid("y1.db", {"A", "B"}, two);
    MakeGrid("y3.db", {"B"}, one);
    MakeStems("y1.db", {{"A", 1, 1, 0.2, 1}, {"B", 2, 1, 0.2, 1}});
    MakeStems("y3.db", {{"B", 2, 1, 0.2, 1}});
    WriteFile("y2.db", "not a plot");
    std::filesystem::create_directory("out");
    const ProgramRun run =
        RunQuenvar({"--export", "out/{name}.png", "--size", "400x300", "--layers", "tree-clouds",
                    "--stems", "B", "-j", "2", "y1.db", "y2.db", "y3.db"},
                   {true});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("y2.db"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists("out/y2.png"));
    // Black, the white circle of the selected stem and B's own colour.
    const std::set<std::string> first = Colours(LoadPng("out/y1.png"));
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(first, Colours(LoadPng("out/y3.png")));

    MakePair();
    const std::string stats = RunQuenvar({"stats", "a.db", "b.db"}).out;
    EXPECT_EQ(stats.rfind("file,tree,", 0), 0u) << stats;
    EXPECT_NE(stats.find("\nb.db,C,0,1,3,"), std::string::npos) << stats;
}
