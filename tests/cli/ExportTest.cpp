// The real quenvar program run from the command line: the pictures it
// writes, and how it refuses what it cannot do.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "CliSupport.h"

namespace {

// Four by two unit cells. The plot's uptake runs from 0 (cells without
// uptake count) to 10, so a value v takes palette colour trunc(v / 2): each
// of the five colours shows in one cell. T2 has uptake in one cell only. At
// 400 x 200 pixels each cell is a 100-pixel square.
//
//   y=0:  0    1    10   5.5        (T1; T2 is 0 here)
//   y=1:  3    7.3  2*   0          (* T2's only cell)
double TwoTreeValue(int tree, int x, int y) {
    static const double t1[2][4] = {{0, 1, 10, 5.5}, {3, 7.3, 0, 0}};
    if (tree == 0) {
        return t1[y][x];
    }
    return x == 2 && y == 1 ? 2.0 : 0.0;
}

const Rgb kPalette[] = {{0, 0, 150}, {0, 150, 100}, {100, 200, 0}, {255, 255, 0}, {255, 0, 0}};
const Rgb kPlainStem{200, 100, 0};

class ExportTest : public testing::Test {
  protected:
    TempDir dir;

    // Stems inside the cells' extent (0..3 by 0..1), so that it stays the view:
    // T1 lands on pixel (200, 100), T2 on (300, 150).
    void MakePlot(const std::string& path = "plot.db") {
        MakeGridTable(path, {"T1", "T2"}, 4, 2, TwoTreeValue);
        ExecSql(path,
                "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
                "Crown_d_m double);"
                "INSERT INTO stem VALUES ('T1', 1.5, 0.5, 0.3, 1.0);"
                "INSERT INTO stem VALUES ('T2', 2.25, 0.75, 0.1, 0.5);");
    }

    // A run that must fail: exit code 2, one line on standard error that
    // mentions the problem, and no picture.
    void ExpectRefused(const ProgramRun& run, const std::string& mention,
                       const std::string& picture = "out.png") {
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.err.rfind("quenvar: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(std::filesystem::exists(picture));
    }
};

}  // namespace

TEST_F(ExportTest, BlocksAndStemMapHaveTheirColoursAtKnownPixels) {
    MakePlot();
    const ProgramRun run = Export("out.png", "plot.db",
                                  {"--size", "400x200", "--layers", "uptake-blocks,stems-plain"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    const wxImage image = LoadPng("out.png");
    ASSERT_EQ(image.GetWidth(), 400);
    ASSERT_EQ(image.GetHeight(), 200);
    // Cell centres: a value of 0 stays black, the minimum takes the first
    // colour, the maximum the last.
    EXPECT_EQ(PixelAt(image, 50, 50), kBlack);
    EXPECT_EQ(PixelAt(image, 150, 50), kPalette[0]);
    EXPECT_EQ(PixelAt(image, 250, 50), kPalette[4]);
    EXPECT_EQ(PixelAt(image, 350, 50), kPalette[2]);
    EXPECT_EQ(PixelAt(image, 50, 150), kPalette[1]);
    EXPECT_EQ(PixelAt(image, 150, 150), kPalette[3]);
    EXPECT_EQ(PixelAt(image, 250, 180), kPalette[1]);
    EXPECT_EQ(PixelAt(image, 350, 150), kBlack);
    // The stem map lies over the blocks: a dot of 20 pixels around each stem.
    EXPECT_EQ(PixelAt(image, 200, 100), kPlainStem);
    EXPECT_EQ(PixelAt(image, 207, 100), kPlainStem);
    EXPECT_EQ(PixelAt(image, 300, 150), kPlainStem);
    EXPECT_EQ(PixelAt(image, 215, 95), kPalette[4]);
    // Only black and those colours: nothing blended at the edges.
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 400; ++x) {
            const Rgb pixel = PixelAt(image, x, y);
            ASSERT_TRUE(pixel == kBlack || pixel == kPlainStem ||
                        std::find(std::begin(kPalette), std::end(kPalette), pixel) !=
                            std::end(kPalette))
                << x << "," << y << " " << pixel;
        }
    }
}

TEST_F(ExportTest, ListedStemsGetTheirTreeLayersAndAreHighlightedOnTop) {
    MakePlot();
    const ProgramRun run =
        Export("out.png", "plot.db",
               {"--size", "400x200", "--layers", "stems-plain,tree-blocks", "--stems", "T2,T1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const wxImage image = LoadPng("out.png");
    // T1's own uptake in the built-in palette, over T1's cells alone (1 to
    // 10); T2's single value is its own maximum.
    EXPECT_EQ(PixelAt(image, 150, 50), kPalette[0]);
    EXPECT_EQ(PixelAt(image, 150, 150), kPalette[3]);
    EXPECT_EQ(PixelAt(image, 250, 180), kPalette[4]);
    // The highlight: a white circle of dbh (0.3 units = 40 pixels) around T1,
    // above the stem map.
    EXPECT_EQ(PixelAt(image, 200, 100), kWhite);
    EXPECT_EQ(PixelAt(image, 215, 115), kWhite);
    EXPECT_EQ(PixelAt(image, 250, 120), kPalette[4]);
    EXPECT_EQ(PixelAt(image, 300, 150), kWhite);
}

TEST_F(ExportTest, ViewAndSizeChooseThePartShown) {
    MakePlot();
    // Cell (2, 0) alone, corner on the view's edge, at 10 x 10 pixels.
    const ProgramRun run = Export("out.png", "plot.db",
                                  {"--size=10x10", "--layers=uptake-blocks", "--view=2,0,2.5,0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const wxImage image = LoadPng("out.png");
    ASSERT_EQ(image.GetSize(), wxSize(10, 10));
    EXPECT_EQ(PixelAt(image, 0, 0), kPalette[4]);
    EXPECT_EQ(PixelAt(image, 6, 6), kPalette[4]);
}

TEST_F(ExportTest, WithoutLayersThePictureIsBlackAtTheDefaultSize) {
    MakePlot();
    const ProgramRun run = Export("out.png", "plot.db");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const wxImage image = LoadPng("out.png");
    EXPECT_EQ(image.GetSize(), wxSize(750, 550));
    EXPECT_EQ(LitPixels(image), 0);
}

TEST_F(ExportTest, CloudsGetTheirDotsPerCell) {
    // One row of cells at y = 1 under a view that shows cells 1 to 3 at 400
    // pixels each: far enough apart that no two dots of a cell touch.
    MakeGridTable("plot.db", {"A", "B"}, 5, 3, [](int tree, int x, int y) {
        if (y != 1) {
            return 0.0;
        }
        const double a[] = {0, 10, 2.5, 0, 0};
        const double b[] = {0, 1, 0, 0, 0};
        return tree == 0 ? a[x] : b[x];
    });
    const std::vector<std::string> view = {"--size", "1600x800", "--view", "0.5,0.5,3.5,1.5"};
    // Dots per cell: 18 at the maximum and the share rounded up below it.
    struct Case {
        const char* key;
        Rgb color;
        std::vector<int> dots;
    };
    const Case cases[] = {
        {"uptake-clouds", {255, 0, 0}, {18, 5, 0}},  // 11, 2.5 and 0 of 11
        {"count-clouds", {0, 0, 255}, {18, 9, 0}},   // 2, 1 and 0 of 2 trees
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::vector<std::string> args = view;
        args.insert(args.end(), {"--layers", c.key});
        const ProgramRun run = Export("out.png", "plot.db", args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const wxImage image = LoadPng("out.png");
        std::vector<int> dots(3, 0);
        std::vector<bool> seen(size_t(image.GetWidth()) * image.GetHeight(), false);
        for (int y = 0; y < image.GetHeight(); ++y) {
            for (int x = 0; x < image.GetWidth(); ++x) {
                const Rgb pixel = PixelAt(image, x, y);
                if (pixel == kBlack) {
                    continue;
                }
                ASSERT_EQ(pixel, c.color) << x << "," << y;
                if (seen[size_t(y) * image.GetWidth() + x]) {
                    continue;
                }
                // A new dot: mark the pixels it touches.
                std::vector<std::pair<int, int>> todo = {{x, y}};
                seen[size_t(y) * image.GetWidth() + x] = true;
                while (!todo.empty()) {
                    const auto [px, py] = todo.back();
                    todo.pop_back();
                    const int next[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
                    for (const auto& step : next) {
                        const int nx = px + step[0];
                        const int ny = py + step[1];
                        if (nx < 0 || ny < 0 || nx >= image.GetWidth() || ny >= image.GetHeight() ||
                            seen[size_t(ny) * image.GetWidth() + nx] ||
                            PixelAt(image, nx, ny) == kBlack) {
                            continue;
                        }
                        seen[size_t(ny) * image.GetWidth() + nx] = true;
                        todo.push_back({nx, ny});
                    }
                }
                // Cell k (1 to 3) starts at pixel (k - 0.5) * 400, a dot a pixel before.
                const int cell = (x + 1 - 200) / 400;
                ASSERT_TRUE(cell >= 0 && cell < 3) << x;
                ++dots[size_t(cell)];
            }
        }
        EXPECT_EQ(dots, c.dots);
    }
}

TEST_F(ExportTest, RunsNoneOfTheWindowsStartUp) {
    MakePlot();
    WriteFile("run.log", "earlier run\n");
    WriteFile("error.log", "earlier error\n");
    const ProgramRun run =
        Export("out.png", "plot.db", {"--layers", "uptake-blocks", "--log-dir", "."});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(std::filesystem::exists("small-set.db"));
    EXPECT_EQ(ReadFile("run.log"), "earlier run\n");
    // Asked for, the opening's own lines are appended, as in the window; no banner.
    const std::string errors = ReadFile("error.log");
    EXPECT_EQ(errors.rfind("earlier error\n", 0), 0u);
    EXPECT_NE(errors.find("no such table: _db_info"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("Quenvar Application"), std::string::npos) << errors;
    // The file was opened as the window opens it: catalogue and index tables.
    EXPECT_EQ(QueryColumn("plot.db", "SELECT db_version FROM _db_info"),
              std::vector<std::string>{"0.1"});
    EXPECT_EQ(QueryColumn("plot.db", "SELECT count(*) FROM _db_indexes"),
              std::vector<std::string>{"2"});
}

TEST_F(ExportTest, HelpAndVersionNeedNoDisplay) {
    const ProgramRun help = RunQuenvar({"--help"}, {true, false});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: quenvar", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("uptake-blocks"), std::string::npos);
    EXPECT_TRUE(help.err.empty()) << help.err;
    const ProgramRun version = RunQuenvar({"--version"}, {true, false});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Quenvar 0.27\n");
    EXPECT_TRUE(version.err.empty()) << version.err;
    EXPECT_FALSE(std::filesystem::exists("small-set.db"));
    EXPECT_FALSE(std::filesystem::exists("run.log"));
}

TEST_F(ExportTest, MistakesOnTheCommandLineAreRefused) {
    MakePlot();
    const std::string before = ReadFile("plot.db");
    ExpectRefused(RunQuenvar({"--exprot", "out.png", "plot.db"}), "\"--exprot\"");
    ExpectRefused(Export("out.png", "plot.db", {"--layers", "uptake-blocks,trees"}), "\"trees\"");
    ExpectRefused(Export("out.png", "plot.db", {"--size", "750by550"}), "--size");
    ExpectRefused(Export("out.png", "plot.db", {"--size", "0x550"}), "--size");
    ExpectRefused(Export("out.png", "plot.db", {"--view", "0,0,10"}), "--view");
    ExpectRefused(Export("out.png", "plot.db", {"--view", "5,0,1,1"}), "--view");
    ExpectRefused(RunQuenvar({"--export", "out.png"}), "database file");
    ExpectRefused(RunQuenvar({"plot.db", "--size", "10x10"}), "--export");
    // The window's start options are refused as the export refuses them,
    // before any window (or display) is needed.
    const ProgramRun exported = Export("out.png", "plot.db", {"--stems", "T1,T9"});
    const ProgramRun window = RunQuenvar({"--stems", "T1,T9", "plot.db"}, {true, false});
    ExpectRefused(window, "\"T9\"");
    EXPECT_EQ(window.err, exported.err);
    ExpectRefused(RunQuenvar({"--layers", "trees", "plot.db"}, {true, false}), "\"trees\"");
    EXPECT_EQ(ReadFile("plot.db"), before);
}

TEST_F(ExportTest, FilesItCannotDrawAreRefusedUnchanged) {
    MakePlot();
    WriteFile("notes.db", "Plot 7: three birches and an oak.\n");
    ExecSql("other.db", "CREATE TABLE people (name TEXT); INSERT INTO people VALUES ('x');");
    mkfifo("pipe.db", 0600);
    const std::string plot = ReadFile("plot.db");
    const std::string notes = ReadFile("notes.db");
    const std::string other = ReadFile("other.db");

    ExpectRefused(Export("out.png", "missing.db"), "\"missing.db\"");
    EXPECT_FALSE(std::filesystem::exists("missing.db"));
    ExpectRefused(Export("out.png", "."), "folder");
    ExpectRefused(Export("out.png", "pipe.db"), "not a regular file");
    ExpectRefused(Export("out.png", "notes.db"), "not an SQLite database");
    ExpectRefused(Export("out.png", "other.db"), "no plot data");
    ExpectRefused(Export("out.png", "plot.db", {"--stems", "T1,T9"}), "\"T9\"");
    // The picture would replace the database itself, or has nowhere to go.
    ExpectRefused(Export("plot.db", "plot.db"), "over the database", "no-such-picture");
    ExpectRefused(Export("./plot.db", "plot.db"), "over the database", "no-such-picture");
    ExpectRefused(Export("no-folder/out.png", "plot.db"), "\"no-folder/out.png\"");

    EXPECT_EQ(ReadFile("plot.db"), plot);
    EXPECT_EQ(ReadFile("notes.db"), notes);
    EXPECT_EQ(ReadFile("other.db"), other);
    // Nothing was opened for real, so nothing was logged either.
    EXPECT_FALSE(std::filesystem::exists("error.log"));
}

TEST_F(ExportTest, FileTheUserCannotReadIsRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the program as user nobody";
    }
    MakePlot();
    const std::string before = ReadFile("plot.db");
    chmod(dir.Path().c_str(), 0777);
    chmod("plot.db", 0000);
    const ProgramRun run =
        RunQuenvar({"--export", dir.File("out.png"), dir.File("plot.db")}, {true, true});
    chmod("plot.db", 0644);
    if (!ReachedTheProgram(run)) {
        GTEST_SKIP() << kCannotRunAsNobody;
    }
    ExpectRefused(run, "cannot read");
    EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile("plot.db"), before);
}

TEST_F(ExportTest, OnlyTheWindowNeedsADisplay) {
    MakePlot();
    // A display that does not exist: the export never connects to one.
    RunOptions nowhere;
    nowhere.display = ":4711";
    const ProgramRun run = RunQuenvar({"--export", "out.png", "plot.db"}, nowhere);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_EQ(LoadPng("out.png").GetSize(), wxSize(750, 550));
    std::filesystem::remove("out.png");
    const std::string before = ReadFile("plot.db");
    const ProgramRun window = RunQuenvar({"plot.db"}, {true, false});
    ExpectRefused(window, "cannot open the window: no display (DISPLAY is not set)");
    EXPECT_EQ(ReadFile("plot.db"), before);
}

TEST_F(ExportTest, AnEarlierPictureOfTheSameNameIsReplacedOnlyBySuccess) {
    MakePlot();
    WriteFile("out.png", "an earlier picture");
    const ProgramRun refused = Export("out.png", "plot.db", {"--stems", "nobody"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(ReadFile("out.png"), "an earlier picture");
    const ProgramRun written = Export("out.png", "plot.db");
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(LoadPng("out.png").GetSize(), wxSize(750, 550));
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        files += entry.path().filename().string().find("out.png") != std::string::npos;
    }
    EXPECT_EQ(files, 1);
}

// Viridis in five steps: entries 0, 64, 128, 191 and 255 of its table.
const Rgb kViridis[] = {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {92, 200, 99}, {253, 231, 37}};

// Whether an n x n square of exactly this colour lies in the part right of x0.
bool HasSwatch(const wxImage& image, int x0, const Rgb& color, int n) {
    for (int y = 0; y + n <= image.GetHeight(); ++y) {
        for (int x = x0; x + n <= image.GetWidth(); ++x) {
            bool solid = true;
            for (int dy = 0; dy < n && solid; ++dy) {
                for (int dx = 0; dx < n && solid; ++dx) {
                    solid = PixelAt(image, x + dx, y + dy) == color;
                }
            }
            if (solid) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(ExportTest, PaletteAndLegendOptionsColourTheMapAndExplainIt) {
    MakePlot();
    const std::vector<std::string> blocks = {"--size", "400x200", "--layers", "uptake-blocks"};
    std::vector<std::string> args = blocks;
    args.insert(args.end(), {"--palette", "viridis"});
    ASSERT_EQ(Export("viridis.png", "plot.db", args).exitCode, 0);
    const wxImage viridis = LoadPng("viridis.png");
    EXPECT_EQ(PixelAt(viridis, 150, 50), kViridis[0]);
    EXPECT_EQ(PixelAt(viridis, 250, 50), kViridis[4]);
    EXPECT_EQ(PixelAt(viridis, 350, 50), kViridis[2]);

    args.push_back("--legend");
    ASSERT_EQ(Export("legend.png", "plot.db", args).exitCode, 0);
    const wxImage legend = LoadPng("legend.png");
    ASSERT_EQ(legend.GetSize(), wxSize(400, 200));
    // The strip takes at most half the picture; each colour has its swatch there.
    for (const Rgb& color : kViridis) {
        EXPECT_TRUE(HasSwatch(legend, 200, color, 8)) << color;
    }
    // Without the new options the picture is the one drawn before them.
    args = blocks;
    args.insert(args.end(), {"--palette", "builtin"});
    ASSERT_EQ(Export("builtin.png", "plot.db", args).exitCode, 0);
    ASSERT_EQ(Export("plain.png", "plot.db", blocks).exitCode, 0);
    EXPECT_EQ(ReadFile("builtin.png"), ReadFile("plain.png"));
}
