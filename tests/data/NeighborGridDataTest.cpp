#include <gtest/gtest.h>

#include "PlotFixture.h"
#include "data/NeighborGridData.h"

namespace {

const char* const kTable = "_idx_grid_neighbor_13365";
const char* const kRows =
    "SELECT x_coord, y_coord, count, n, e, s, w FROM _idx_grid_neighbor_13365 ORDER BY rowid";

class NeighborGridDataTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    std::unique_ptr<NeighborGridData> Load(Database database) {
        return std::make_unique<NeighborGridData>(database, Query("SELECT * FROM grid"), "grid",
                                                  "x_coord", "y_coord", ProgressMonitor(0, 0));
    }
    std::unique_ptr<NeighborGridData> Load() { return Load(Database(path.c_str())); }
};

}  // namespace

TEST_F(NeighborGridDataTest, EachCellGetsItsNeighboursCounts) {
    // Counts 2, 3 and 1 at (0, 0), (1, 0) and (0, 1).
    MakeGrid(path, {{0, 0, {1, 1, 0}}, {1, 0, {1, 1, 1}}, {0, 1, {1, 0, 0}}}, 3);
    auto grid = Load();
    EXPECT_EQ(QueryRows(path, kRows), (std::vector<std::string>{
                                          "0.0,0.0,2,1,3,0,0",
                                          "1.0,0.0,3,0,0,0,2",
                                          "0.0,1.0,1,0,0,2,0",
                                      }));
    EXPECT_EQ(grid->GetIndexName(), "neighbor_13365");
    EXPECT_STREQ(grid->GetTableName(), kTable);
    EXPECT_EQ(QueryRows(path, "SELECT * FROM _db_indexes"),
              std::vector<std::string>{"grid,neighbor_13365,_idx_grid_neighbor_13365"});
    EXPECT_TRUE(grid->IsIndexReady());
    EXPECT_EQ(grid->GetValueColumnCount(), 3);
    EXPECT_EQ(grid->GetMinValue(), 1.0);
    EXPECT_EQ(grid->GetMaxValue(), 3.0);
    EXPECT_EQ(grid->GetCellSize(), 1.0);
    EXPECT_EQ(grid->GetXMin(), 0.0);
    EXPECT_EQ(grid->GetXMax(), 1.0);
    EXPECT_EQ(grid->GetYMax(), 1.0);
    EXPECT_EQ(grid->GetName(), "Total Nitrogen Uptake Grid");
}

TEST_F(NeighborGridDataTest, CountsOnlyPositiveValuesAndKeepsSourceOrder) {
    // Unsorted source; the middle cell counts nothing, so its neighbours get 0 from it.
    MakeGrid(path, {{2, 0, {0.0, 0.5, -1.0}}, {1, 0, {0.0, 0.0, -2.0}}, {0, 0, {3, 0.1, 0.2}}}, 3);
    auto grid = Load();
    EXPECT_EQ(QueryRows(path, kRows), (std::vector<std::string>{
                                          "2.0,0.0,1,0,0,0,0",
                                          "1.0,0.0,0,0,1,0,3",
                                          "0.0,0.0,3,0,0,0,0",
                                      }));
    EXPECT_EQ(grid->GetMinValue(), 0.0);
}

TEST_F(NeighborGridDataTest, SingleCellHasNoNeighbours) {
    MakeGrid(path, {{5, 5, {1, 2}}}, 2);
    auto grid = Load();
    EXPECT_EQ(QueryRows(path, kRows), std::vector<std::string>{"5.0,5.0,2,0,0,0,0"});
    EXPECT_EQ(grid->GetCellSize(), 1.0);
}

TEST_F(NeighborGridDataTest, BuildRunsTheDefinedStatements) {
    MakeGrid(path, {{0, 0, {1, 1}}, {1, 0, {1, 0}}}, 2);
    Database database(path.c_str());
    SqlTrace trace(database);
    auto grid = Load(database);

    EXPECT_EQ(
        QueryColumn(path, "SELECT sql FROM sqlite_master WHERE name = '_idx_grid_neighbor_13365'"),
        std::vector<std::string>{
            "CREATE TABLE _idx_grid_neighbor_13365 (`x_coord` double, `y_coord` double, "
            "`count` int(11), `n` int(11), `e` int(11), `s` int(11), `w` int(11))"});
    EXPECT_EQ(QueryColumn(path,
                          "SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                          "'_idx_grid_neighbor_13365' ORDER BY rowid"),
              (std::vector<std::string>{
                  "CREATE INDEX TB_IDX_LOCATION_XY_NEIGHBOR_13365 on _idx_grid_neighbor_13365 "
                  "(x_coord, y_coord)",
                  "CREATE INDEX TB_IDX_LOCATION_X_NEIGHBOR_13365 on _idx_grid_neighbor_13365 "
                  "(x_coord)",
                  "CREATE INDEX TB_IDX_LOCATION_Y_NEIGHBOR_13365 on _idx_grid_neighbor_13365 "
                  "(y_coord)",
                  "CREATE INDEX TB_IDX_COUNT_NEIGHBOR_13365 on _idx_grid_neighbor_13365 (count)",
              }));
    // Each row is written once, complete with its neighbours' counts.
    EXPECT_EQ(trace.StartingWith("INSERT INTO _idx_").size(), 1u);
    EXPECT_TRUE(trace.StartingWith("UPDATE").empty());
    EXPECT_EQ(QueryRows(path, kRows),
              (std::vector<std::string>{"0.0,0.0,2,0,1,0,0", "1.0,0.0,1,0,0,0,2"}));
}

TEST_F(NeighborGridDataTest, ValueAtCountsNeighboursWithTrees) {
    // (1, 1) has trees to its north and west only.
    MakeGrid(path, {{1, 1, {1}}, {1, 2, {1}}, {0, 1, {1}}, {2, 1, {0}}, {1, 0, {0}}}, 1);
    auto grid = Load();
    grid->SetDefaultValue(-7.0);
    EXPECT_EQ(grid->GetValueAt(1, 1), 2.0);
    EXPECT_EQ(grid->GetValueAt(2, 1), 1.0);
    EXPECT_EQ(grid->GetValueAt(3, 3), -7.0);
}

TEST_F(NeighborGridDataTest, CursorFollowsTheFilterWhichClearFilterKeeps) {
    MakeGrid(path, {{0, 0, {1, 1}}, {1, 0, {1, 0}}, {0, 1, {0, 0}}}, 2);
    auto grid = Load();

    grid->First();
    int cells = 0;
    for (; grid->IsValid(); grid->Next()) {
        ++cells;
    }
    grid->Close();
    EXPECT_EQ(cells, 3);

    grid->SetFilter(Query("WHERE x_coord = 1.000000"));
    grid->First();
    ASSERT_TRUE(grid->IsValid());
    EXPECT_EQ(grid->GetX(), 1.0);
    EXPECT_EQ(grid->GetY(), 0.0);
    EXPECT_EQ(grid->GetValue(), 1.0);
    grid->Next();
    EXPECT_FALSE(grid->IsValid());
    grid->Close();

    grid->ClearFilter();
    grid->First();
    ASSERT_TRUE(grid->IsValid());
    grid->Next();
    EXPECT_FALSE(grid->IsValid());
    grid->Close();

    grid->SetFilter(Query("WHERE count > 5"));
    grid->First();
    EXPECT_FALSE(grid->IsValid());
    EXPECT_EQ(grid->GetValue(), 0.0);
    grid->Close();
}
