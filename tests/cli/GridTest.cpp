// `quenvar grid`: each file read back by GDAL, which knows nothing of Quenvar,
// on a plot placed off the origin in half-metre cells with one cell missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "CliSupport.h"

namespace {

// Corners 312.25 + 0.5 i, 7010.75 + 0.5 j; no cell at i = 2, j = 1. T01 has
// no stem, so its own layers draw nothing, but its values still count.
const double kWest = 312.25;
const double kSouth = 7010.75;

std::vector<PlotCell> Cells() {
    std::vector<PlotCell> cells;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (i != 2 || j != 1) {
                cells.push_back({kWest + 0.5 * i,
                                 kSouth + 0.5 * j,
                                 {0.25 * i + j, (i + j) % 2 ? 10.0 * i + j + 0.5 : 0.0}});
            }
        }
    }
    return cells;
}

using Values = std::map<std::pair<double, double>, double>;  // by cell centre

// What each cell should read: the sum of both trees, or T05 alone.
Values Expected(bool t05Only) {
    Values values;
    for (const PlotCell& cell : Cells()) {
        values[{cell.x + 0.25, cell.y + 0.25}] =
            t05Only ? cell.values[1] : cell.values[0] + cell.values[1];
    }
    values[{kWest + 1.25, kSouth + 0.75}] = -9999;  // the missing cell: nodata
    return values;
}

// The file as GDAL reads it: one "x y value" line per pixel, at its centre.
Values ReadByGdal(const std::string& path) {
    const ProgramRun run = RunProgram("gdal_translate", {"-q", "-of", "XYZ", path, "read.xyz"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    Values values;
    std::istringstream lines(ReadFile("read.xyz"));
    double x = 0;
    double y = 0;
    double value = 0;
    while (lines >> x >> y >> value) {
        values[{x, y}] = value;
    }
    return values;
}

std::string GdalInfo(const std::string& path) {
    const ProgramRun run = RunProgram("gdalinfo", {path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

class GridTest : public testing::TestWithParam<const char*> {
  protected:
    TempDir dir;

    void SetUp() override {
        MakeGrid("plot.db", {"T01", "T05"}, Cells());
        MakeStems("plot.db", {{"T05", 313, 7011, 0.2, 1}});
    }
};

// The same values, corner, cell size, row order and nodata in every format.
TEST_P(GridTest, GdalReadsEachCellsValueInPlace) {
    const std::string out = std::string("grid") + GetParam();
    for (bool t05 : {false, true}) {
        std::vector<std::string> args = {"grid", "plot.db", "--output", out, "--layer"};
        for (const char* arg : t05 ? std::vector<const char*>{"tree", "--tree", "T05"}
                                   : std::vector<const char*>{"uptake"}) {
            args.push_back(arg);
        }
        const ProgramRun run = RunQuenvar(args, {true});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(ReadByGdal(out), Expected(t05));
        const std::string info = GdalInfo(out);
        EXPECT_NE(info.find("Size is 4, 3"), std::string::npos) << info;
        EXPECT_NE(info.find("Origin = (312.250000000000000,7012.250000000000000)"),
                  std::string::npos)
            << info;
        EXPECT_NE(info.find("Pixel Size = (0.500000000000000,-0.500000000000000)"),
                  std::string::npos)
            << info;
        EXPECT_NE(info.find("Type=Float32"), std::string::npos) << info;
        EXPECT_EQ(info.find("Coordinate System"), std::string::npos) << info;
    }
}

TEST_P(GridTest, CrsIsReadByGdal) {
    const std::string out = std::string("grid") + GetParam();
    const ProgramRun run = RunQuenvar(
        {"grid", "plot.db", "--layer", "count", "--crs", "epsg:32633", "--output", out}, {true});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(GdalInfo(out).find("PROJCRS[\"WGS 84 / UTM zone 33N\""), std::string::npos);
    EXPECT_EQ(ReadByGdal(out).at({kWest + 1.25, kSouth + 0.25}), 1);  // T01 alone
}

INSTANTIATE_TEST_SUITE_P(Formats, GridTest, testing::Values(".tif", ".asc"));

// The CSV lists each cell's centre, north row first, and no line for the missing cell.
TEST(GridCsv, ListsCellCentresNorthFirst) {
    TempDir dir;
    MakeGrid("plot.db", {"T01", "T05"}, Cells());
    const ProgramRun run =
        RunQuenvar({"grid", "plot.db", "--layer", "uptake", "--output", "grid.csv"}, {true});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = ReadLines("grid.csv");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "x,y,value");
    EXPECT_EQ(lines[1], "312.5,7012,2");
    EXPECT_EQ(lines[5], "312.5,7011.5,2.5");
    EXPECT_EQ(lines[7], "314,7011.5,1.75");  // after the missing cell's place
}

// Nothing is written, and the message names what to mend.
TEST(GridRefusals, NameTheirCauseAndWriteNothing) {
    TempDir dir;
    MakeGrid("uneven.db", {{0, 0, {1}}, {1, 0, {1}}, {2.5, 0, {1}}, {0, 1, {1}}}, 1);
    MakeGrid("plot.db", {"T01", "T05"}, Cells());
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"grid", "uneven.db", "--layer", "uptake", "--output", "g.tif"},
         "the cells (1, 0) and (2.5, 0) lie 1.5 apart in x_coord"},
        {{"grid", "plot.db", "--layer", "tree", "--output", "g.tif"}, "needs --tree"},
        {{"grid", "plot.db", "--layer", "height", "--output", "g.tif"}, "unknown --layer"},
        {{"grid", "plot.db", "--layer", "uptake", "--output", "g.png"}, "must end in"},
        {{"grid", "plot.db", "--layer", "uptake", "--crs", "EPSG:4326", "--output", "g.tif"},
         "in degrees"},
        {{"grid", "plot.db", "--layer", "uptake", "--crs", "EPSG:32633", "--output", "g.csv"},
         "no place for a coordinate system"},
    };
    for (const auto& [args, message] : cases) {
        const ProgramRun run = RunQuenvar(args, {true});
        EXPECT_EQ(run.exitCode, 2) << args[1] << " " << args.back();
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    for (const char* name : {"g.tif", "g.csv", "g.png"}) {
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
    }
}

}  // namespace
