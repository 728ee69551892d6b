// quenvar grid's class and group layers: the dominant tree or group of each
// cell as a number, its names beside the grid, and a group's summed uptake.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliSupport.h"

namespace {

// Three unit cells in a row. A and B tie in the first (A's column comes
// first), B leads in the second, nobody takes up in the third; A and C are
// "FASY", B is "PCAB, old".
void MakeMixedPlot() {
    MakeGrid("plot.db", {"A", "B", "C"},
             {{0, 0, {2, 2, 1}}, {1, 0, {1, 3, 1.5}}, {2, 0, {0, -1, 0}}});
    MakeStems("plot.db", {{"A", 0, 0, 0.2, 1}, {"B", 1, 0, 0.2, 1}, {"C", 2, 0, 0.2, 1}});
    ExecSql("plot.db",
            "ALTER TABLE stem ADD COLUMN species TEXT;"
            "UPDATE stem SET species = CASE Tree WHEN 'B' THEN 'PCAB, old' ELSE 'FASY' END;");
}

ProgramRun Grid(const std::vector<std::string>& layer) {
    std::vector<std::string> args = {"grid", "plot.db", "--output", "g.asc"};
    args.insert(args.end(), layer.begin(), layer.end());
    return RunQuenvar(args, {true});
}

}  // namespace

TEST(ClassGrid, DominantNumbersWithTheirNamesAndGroupSums) {
    TempDir dir;
    MakeMixedPlot();
    ASSERT_EQ(Grid({"--layer", "dominant"}).exitCode, 0);
    EXPECT_EQ(AsciiGridValues("g.asc"), (std::vector<double>{1, 2, 0}));
    EXPECT_EQ(ReadFile("g.labels.csv"), "value,label\n1,A\n2,B\n3,C\n");

    ASSERT_EQ(Grid({"--layer", "dominant-group", "--group-by", "species"}).exitCode, 0);
    // FASY takes 3 against 2 in the first cell, 2.5 against 3 in the second.
    EXPECT_EQ(AsciiGridValues("g.asc"), (std::vector<double>{1, 2, 0}));
    EXPECT_EQ(ReadFile("g.labels.csv"), "value,label\n1,FASY\n2,\"PCAB, old\"\n");

    ASSERT_EQ(Grid({"--layer", "group", "--group-by", "species", "--group", "FASY"}).exitCode, 0);
    EXPECT_EQ(AsciiGridValues("g.asc"), (std::vector<double>{3, 2.5, 0}));

    std::filesystem::remove("g.asc");
    EXPECT_EQ(Grid({"--layer", "group", "--group-by", "species", "--group", "ABAL"}).exitCode, 2);
    EXPECT_EQ(Grid({"--layer", "group", "--group", "FASY"}).exitCode, 2);
    EXPECT_EQ(Grid({"--layer", "dominant", "--group-by", "species"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists("g.asc"));
}
