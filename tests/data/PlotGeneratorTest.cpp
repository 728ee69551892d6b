#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "PlotFixture.h"
#include "data/PlotGenerator.h"

namespace {

class PlotGeneratorTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string Make(const std::string& name, const PlotRequest& request) {
        const std::string path = dir.File(name);
        std::string error;
        EXPECT_TRUE(WritePlot(path, request, error)) << error;
        return path;
    }
    double Number(const std::string& path, const std::string& sql) {
        const auto values = QueryColumn(path, sql);
        return values.empty() ? NAN : std::stod(values[0]);
    }
};

}  // namespace

TEST_F(PlotGeneratorTest, SameRequestGivesTheSameFile) {
    PlotRequest request;
    const std::string a = Make("a.db", request);
    const std::string b = Make("b.db", request);
    request.seed = 2;
    const std::string c = Make("c.db", request);
    EXPECT_EQ(ReadFile(a), ReadFile(b));
    EXPECT_NE(ReadFile(a), ReadFile(c));
}

TEST_F(PlotGeneratorTest, RefusesAnExistingFileAndUnusableRequests) {
    const std::string path = dir.File("mine.db");
    WriteFile(path, "keep me");
    std::string error;
    EXPECT_FALSE(WritePlot(path, PlotRequest(), error));
    EXPECT_EQ(ReadFile(path), "keep me");
    PlotRequest request;
    request.cell = 0;
    EXPECT_FALSE(WritePlot(dir.File("zero.db"), request, error));
    request = PlotRequest();
    request.trees = kMaxPlotTrees + 1;
    EXPECT_FALSE(WritePlot(dir.File("many.db"), request, error));
    EXPECT_FALSE(std::filesystem::exists(dir.File("zero.db")));
}

TEST_F(PlotGeneratorTest, DefaultPlotLooksLikeAStand) {
    const std::string path = Make("demo.db", PlotRequest());
    EXPECT_EQ(Number(path, "SELECT count(*) FROM grid"), 2400);
    EXPECT_EQ(Number(path, "SELECT count(*) FROM stem"), 40);
    EXPECT_EQ(Number(path, "SELECT max(x_coord) FROM grid"), 59);
    EXPECT_EQ(Number(path, "SELECT max(y_coord) FROM grid"), 39);
    EXPECT_GE(Number(path, "SELECT min(dbh) FROM stem"), 0.05);
    EXPECT_LE(Number(path, "SELECT max(dbh) FROM stem"), 0.9);
    EXPECT_GE(Number(path, "SELECT min(Crown_d_m) FROM stem"), 2);
    EXPECT_LE(Number(path, "SELECT max(Crown_d_m) FROM stem"), 14);
    EXPECT_GT(Number(path, "SELECT count(*) FROM stem WHERE height = -1 OR age = -1"), 0);
    EXPECT_EQ(QueryColumn(path, "SELECT Tree FROM stem LIMIT 2"),
              (std::vector<std::string>{"T01", "T02"}));
    // Every uptake is stored as a real, the zeros too.
    EXPECT_EQ(Number(path,
                     "SELECT count(*) FROM grid WHERE typeof(T01) != 'real' OR "
                     "typeof(T40) != 'real'"),
              0);

    // Each tree takes up near its stem, less farther out, nothing beyond its roots' reach.
    const std::string distance =
        "sqrt((x_coord + 0.5 - Xrot0) * (x_coord + 0.5 - Xrot0) + (y_coord + 0.5 - Yrot0) * "
        "(y_coord + 0.5 - Yrot0))";
    for (const char* tree : {"T01", "T07", "T23"}) {
        SCOPED_TRACE(tree);
        const std::string from = std::string(" FROM grid, stem WHERE Tree = '") + tree + "'";
        EXPECT_EQ(Number(path, std::string("SELECT count(*)") + from + " AND " + tree +
                                   " != 0 AND " + distance + " > 1 + 0.8 * Crown_d_m"),
                  0);
        const double near = Number(
            path, std::string("SELECT avg(") + tree + ")" + from + " AND " + distance + " < 2");
        const double far =
            Number(path, std::string("SELECT avg(") + tree + ")" + from + " AND " + distance +
                             " BETWEEN 0.5 * Crown_d_m AND 0.8 * Crown_d_m");
        EXPECT_GT(near, far);
        EXPECT_GT(Number(path, std::string("SELECT max(") + tree + ") FROM grid"), 0);
    }
}
