// `quenvar --at`: the reading of one point, checked against the index tables.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CliSupport.h"

namespace {

// Six by four unit cells; T2 takes up nothing left of x = 3.
double Uptake(int tree, int x, int y) {
    return tree == 0 ? 0.25 * (x + 1) + y : (x >= 3 ? 1.5 : 0.0);
}

std::string G(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

class AtTest : public testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        MakeGridTable("plot.db", {"T1", "T2"}, 6, 4, Uptake);
        ExecSql("plot.db",
                "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
                "Crown_d_m double);"
                "INSERT INTO stem VALUES ('T1', 1.0, 1.0, 0.3, 1.0);"
                "INSERT INTO stem VALUES ('T2', 4.0, 3.0, 0.2, 1.0);"
                "INSERT INTO stem VALUES ('S9', 5.5, 0.5, 0.1, 1.0);");
    }

    // What the index tables hold for the cell at (cx, cy), as --at prints it.
    std::string Expected(double x, double y, int cx, int cy, const std::string& trees) {
        const std::string where =
            " WHERE x_coord = " + std::to_string(cx) + " AND y_coord = " + std::to_string(cy);
        const double uptake = std::stod(
            QueryColumn("plot.db", "SELECT count FROM _idx_grid_uptake_13365" + where)[0]);
        const std::string count =
            QueryColumn("plot.db", "SELECT count FROM _idx_grid_neighbor_13365" + where)[0];
        return "x\t" + G(x) + "\ny\t" + G(y) + "\ncell\t" + G(cx) + " " + G(cy) + "\nuptake\t" +
               G(uptake) + "\ntrees\t" + count + "\n" + trees;
    }
};

}  // namespace

TEST_F(AtTest, ReadsTheHoldingCellFromTheIndexTablesWithoutADisplay) {
    const ProgramRun run =
        RunQuenvar({"--at", "3.75,1.2", "--stems", "T2,T1,S9", "plot.db"}, {true});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // T1 takes up most there: 2 of 3.5.
    const std::string trees = "tree\tT2\t1.5\ntree\tT1\t" + G(Uptake(0, 3, 1)) +
                              "\ntree\tS9\t0\ndominant\tT1\t" + G(2.0 / 3.5) + "\n";
    // T2 at (4, 3) is nearest: sqrt(0.0625 + 3.24).
    EXPECT_EQ(run.out, Expected(3.75, 1.2, 3, 1, trees) + "stem\tT2\t" +
                           G(std::sqrt(0.25 * 0.25 + 1.8 * 1.8)) + "\n");
    // The reading ran none of the window's start-up.
    EXPECT_FALSE(std::filesystem::exists("small-set.db"));
}

TEST_F(AtTest, CellCornersBelongToTheirCellAndTheFarEdgeToNone) {
    const ProgramRun corner = RunQuenvar({"--at", "2,0", "--stems", "T2", "plot.db"});
    ASSERT_EQ(corner.exitCode, 0) << corner.err;
    EXPECT_EQ(corner.out, Expected(2, 0, 2, 0, "tree\tT2\t0\ndominant\tT1\t1\n") + "stem\tT1\t" +
                              G(std::sqrt(2.0)) + "\n");
    // The grid ends at x = 6 (the last cell's corner is 5): no cell holds x = 6.
    for (const char* point : {"6,1", "2.5,4", "-0.01,2"}) {
        const ProgramRun run = RunQuenvar({"--at", point, "--stems", "T1", "plot.db"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("cell\tnone\n"), std::string::npos) << point << run.out;
        EXPECT_EQ(run.out.find("uptake"), std::string::npos) << point;
        EXPECT_EQ(run.out.find("tree\t"), std::string::npos) << point;
    }
}

TEST_F(AtTest, BadArgumentsUnknownLabelsAndRefusedFilesExitTwo) {
    WriteFile("text.db", "not a database");
    const std::vector<std::vector<std::string>> refused = {
        {"--at", "1", "plot.db"},
        {"--at", "1,x", "plot.db"},
        {"--at", "1,1", "--stems", "Nobody", "plot.db"},
        {"--at", "1,1", "--layers", "scale", "plot.db"},
        {"--at", "1,1", "--export", "a.png", "plot.db"},
        {"--at", "1,1", "text.db"},
        {"--at", "1,1", "missing.db"}};
    for (const auto& args : refused) {
        const ProgramRun run = RunQuenvar(args);
        EXPECT_EQ(run.exitCode, 2) << args[1];
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // A colour scale changes nothing in a reading.
    EXPECT_EQ(RunQuenvar({"--at", "1,1", "--palette", "viridis", "plot.db"}).out,
              RunQuenvar({"--at", "1,1", "plot.db"}).out);
}
