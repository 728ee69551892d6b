// Who takes up most in each cell, and the groups of trees by a stem column,
// gathered in one pass over grid.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/GridMix.h"
#include "data/GroupStats.h"
#include "data/StemAttributes.h"
#include "data/TreeGroups.h"

namespace {

// A and D are FASY, B is PCAB alone, C has no stem row and E an empty species.
class GridMixTest : public testing::Test {
  protected:
    TempDir dir;
    TreeGroups groups;
    Database database = Database::OpenForReading("plot.db");

    void SetUp() override {
        ExecSql("plot.db",
                "CREATE TABLE grid (gridcell_id, x_coord, y_coord, A, B, C, D, E);"
                "INSERT INTO grid VALUES (1, 0, 0, 2, 2.0, 1, 1, 0);"   // A and B tie
                "INSERT INTO grid VALUES (2, 1, 0, 0, -3, 0, 0, 0);"    // nothing above 0
                "INSERT INTO grid VALUES (3, 2, 0, -1, 0.5, 0, 0, 0);"  // a negative value
                "INSERT INTO grid VALUES (4, 3, 0, 1, 0, 4, 1, 0);"
                "CREATE TABLE stem (Tree TEXT, Xrot0, Yrot0, species, age);"
                "INSERT INTO stem VALUES ('A', 0, 0, 'FASY', 40), ('B', 1, 0, 'PCAB', -1),"
                " ('D', 2, 0, 'FASY', '7'), ('E', 3, 0, '', NULL);");
        database = Database::OpenForReading("plot.db");  // now that it holds the tables
        std::string error;
        ASSERT_TRUE(GroupTrees(StemAttributes::Read(database), {"A", "B", "C", "D", "E"}, "species",
                               groups, error))
            << error;
    }
};

struct Tagged {
    double x;
    int tag;
    float value;
    bool operator==(const Tagged& other) const {
        return x == other.x && tag == other.tag && value == other.value;
    }
};

std::vector<Tagged> Tags(const std::vector<HeldGridData::Cell>& cells) {
    std::vector<Tagged> tags;
    for (const HeldGridData::Cell& cell : cells) {
        tags.push_back({cell.x, cell.tag, cell.value});
    }
    return tags;
}

}  // namespace

TEST_F(GridMixTest, TreesWithoutAValueMakeTheGroupNone) {
    EXPECT_EQ(groups.names, (std::vector<std::string>{"FASY", "PCAB", "(none)"}));
    EXPECT_EQ(groups.groupOfTree, (std::vector<int>{0, 1, 2, 0, 2}));
    EXPECT_EQ(groups.TreeCount(1), 1u);
}

TEST_F(GridMixTest, DominantTreeAndGroupTakeTheFirstOfTiesAndSkipEmptyCells) {
    GridMixRequest request;
    request.dominantTrees = true;
    request.groups = &groups;
    request.dominantGroups = true;
    request.groupSums = {0, 1};
    GridMix mix;
    std::string error;
    ASSERT_TRUE(ReadGridMix(database, request, mix, error)) << error;
    // Shares of the cell's uptake above 0; the cell of -3 has no dominant tree.
    EXPECT_EQ(Tags(mix.dominantTrees),
              (std::vector<Tagged>{{0, 0, float(2.0 / 6)}, {2, 1, 1.0f}, {3, 2, float(4.0 / 6)}}));
    EXPECT_EQ(Tags(mix.dominantGroups),
              (std::vector<Tagged>{{0, 0, 0.5f}, {2, 1, 1.0f}, {3, 2, float(4.0 / 6)}}));
    // A group's value is the sum of its trees' (A + D, and B alone), negatives included.
    EXPECT_EQ(Tags(mix.groupSums[0]),
              (std::vector<Tagged>{{0, 0, 3.0f}, {2, 0, -1.0f}, {3, 0, 2.0f}}));
    EXPECT_EQ(Tags(mix.groupSums[1]),
              (std::vector<Tagged>{{0, 1, 2.0f}, {1, 1, -3.0f}, {2, 1, 0.5f}}));
}

TEST_F(GridMixTest, GroupStatsCountOnlyUptakeAboveZero) {
    GroupStatsTable table;
    std::string error;
    ASSERT_TRUE(GatherGroupStats(database, groups, 1.0, true, table, error)) << error;
    ASSERT_EQ(table.groups.size(), 3u);
    const GroupStats& fasy = table.groups[0];
    EXPECT_EQ(fasy.trees, 2u);
    EXPECT_DOUBLE_EQ(fasy.uptake, 5.0);  // 2 + 1 in the first cell, 1 + 1 in the last
    EXPECT_EQ(fasy.cells, 2);
    EXPECT_DOUBLE_EQ(*fasy.share, 5.0 / 12.5);
    EXPECT_DOUBLE_EQ(fasy.sharedArea, 2.0);
    const GroupStats& pcab = table.groups[1];
    EXPECT_EQ(pcab.cells, 2);
    EXPECT_DOUBLE_EQ(pcab.sharedUptake, 2.0);  // the cell of 0.5 is its own
    EXPECT_EQ(table.sharedCells[0][1], 1);
    EXPECT_EQ(table.sharedCells[2][2], 2);
}

TEST(StemAttributes, TextsNumbersAndMissingValuesReadAsStored) {
    TempDir dir;
    ExecSql("s.db",
            "CREATE TABLE stem (Tree TEXT, species, dbh, age);"
            "INSERT INTO stem VALUES ('T1', 'FASY', 0.25, -1), ('T1', 'PCAB', 1, 2),"
            " ('T2', NULL, '0.5', '-1');");
    const StemAttributes stems = StemAttributes::Read(Database::OpenForReading("s.db"));
    EXPECT_EQ(AttributeText(stems.Value("T1", "species")), "FASY");  // the first row of T1
    EXPECT_EQ(AttributeText(stems.Value("T1", "dbh")), "0.250000");
    EXPECT_EQ(AttributeText(stems.Value("T1", "age")), "missing");
    EXPECT_EQ(AttributeText(stems.Value("T2", "species")), "missing");
    EXPECT_EQ(AttributeText(stems.Value("T2", "dbh")), "0.500000");
    EXPECT_EQ(AttributeText(stems.Value("T2", "age")), "missing");
    EXPECT_EQ(AttributeText(stems.Value("T9", "dbh")), "missing");
}

// A large grid is read in two halves at once; the mix is the same, and the
// second half reads each column as grid's first row has it (whole numbers
// for A and E, so that their shares differ from those of the values stored).
TEST_F(GridMixTest, HalvesGiveTheMixOfOnePass) {
    ExecSql("plot.db",
            "WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
            " INSERT INTO grid SELECT i, i, 0, (i % 7) + 0.75, i % 5, 0, -1, 3.5 FROM n;");
    GridMixRequest request;
    request.dominantTrees = true;
    request.groups = &groups;
    request.dominantGroups = true;
    request.groupSums = {0, 2};
    GridMix whole, halves;
    std::string error;
    ASSERT_TRUE(ReadGridMix(database, request, whole, error)) << error;
    request.fewestRowsToSplit = 10;
    ASSERT_TRUE(ReadGridMix(database, request, halves, error)) << error;
    EXPECT_EQ(Tags(halves.dominantTrees), Tags(whole.dominantTrees));
    EXPECT_EQ(Tags(halves.dominantGroups), Tags(whole.dominantGroups));
    ASSERT_EQ(halves.groupSums.size(), 2u);
    EXPECT_EQ(Tags(halves.groupSums[0]), Tags(whole.groupSums[0]));
    EXPECT_EQ(Tags(halves.groupSums[1]), Tags(whole.groupSums[1]));
}
