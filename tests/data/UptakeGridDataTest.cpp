#include <gtest/gtest.h>

#include "PlotFixture.h"
#include "data/PlotFile.h"
#include "data/UptakeGridData.h"
#include "tools/IndexCheck.h"

namespace {

const char* const kRows =
    "SELECT x_coord, y_coord, count, n, e, s, w FROM _idx_grid_uptake_13365 ORDER BY rowid";

class UptakeGridDataTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    std::unique_ptr<UptakeGridData> Load(const std::string& source = "SELECT * FROM grid") {
        return std::make_unique<UptakeGridData>(Database(path.c_str()), Query("%s", source.c_str()),
                                                "grid", "x_coord", "y_coord",
                                                ProgressMonitor(0, 0));
    }
};

}  // namespace

TEST_F(UptakeGridDataTest, EachCellGetsItsNeighboursSumsNegativeOnesToo) {
    // Sums 2.5, -1.0 and 0.0 at (0, 0), (1, 0) and (0, 1).
    MakeGrid(path, {{0, 0, {2.0, 0.5}}, {1, 0, {-1.5, 0.5}}, {0, 1, {0.0, 0.0}}}, 2);
    auto grid = Load();
    EXPECT_EQ(QueryRows(path, kRows), (std::vector<std::string>{
                                          "0.0,0.0,2.5,0.0,-1.0,0.0,0.0",
                                          "1.0,0.0,-1.0,0.0,0.0,0.0,2.5",
                                          "0.0,1.0,0.0,0.0,0.0,2.5,0.0",
                                      }));
    EXPECT_EQ(grid->GetIndexName(), "uptake_13365");
    EXPECT_EQ(grid->GetMinValue(), -1.0);
    EXPECT_EQ(grid->GetMaxValue(), 2.5);
    EXPECT_EQ(grid->GetName(), "Neighborhood Uptake Grid");
}

TEST_F(UptakeGridDataTest, SumsEveryValueColumn) {
    MakeGrid(path, {{0, 0, {0.5, 0.25, -0.25}}}, 3);
    Load();
    EXPECT_EQ(QueryColumn(path, "SELECT count FROM _idx_grid_uptake_13365"),
              std::vector<std::string>{"0.5"});
}

TEST_F(UptakeGridDataTest, ColumnWithIntegerFirstValueIsReadAsIntegers) {
    // Untyped columns keep what is stored: T1 starts with the integer 1, so
    // its 2.7 below is read as 2.
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id, x_coord, y_coord, T1, T2);"
            "INSERT INTO grid VALUES (1, 0, 0, 1, 0.5);"
            "INSERT INTO grid VALUES (2, 1, 0, 2.7, 0.25);");
    Load();
    EXPECT_EQ(QueryRows(path, kRows), (std::vector<std::string>{
                                          "0.0,0.0,1.5,0.0,2.25,0.0,0.0",
                                          "1.0,0.0,2.25,0.0,0.0,0.0,1.5",
                                      }));
}

TEST_F(UptakeGridDataTest, HalfMetreCellsFindTheirNeighbours) {
    std::vector<PlotCell> cells;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 4; ++i) {
            cells.push_back({i * 0.5, j * 0.5, {0.125 * (i + 1), j == 1 ? 0.0 : 0.3}});
        }
    }
    MakeGrid(path, cells, 2);
    auto grid = Load();
    EXPECT_EQ(grid->GetCellSize(), 0.5);
    // (0.5, 0.5) sums 0.25; its east neighbour (1.0, 0.5) sums 0.375 and its
    // north neighbour (0.5, 1.0) 0.25 + 0.3.
    EXPECT_EQ(QueryRows(path,
                        "SELECT count, n, e, s, w FROM _idx_grid_uptake_13365 WHERE x_coord = 0.5 "
                        "AND y_coord = 0.5"),
              std::vector<std::string>{"0.25,0.55,0.375,0.55,0.125"});

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const auto expected = indexcheck::ExpectedCells(db, "SELECT * FROM grid", true);
    EXPECT_EQ(expected.size(), 12u);
    EXPECT_EQ(indexcheck::CompareTable(db, "_idx_grid_uptake_13365", expected), "");
    sqlite3_close(db);
}

TEST_F(UptakeGridDataTest, PerStemSetHoldsOnlyThatTreesCells) {
    MakeGrid(path, {{0, 0, {0.5, 0}}, {1, 0, {0, 0}}, {2, 0, {0.25, 0}}}, 2);
    auto tree = Load(std::string(StemUptakeQuery("T1").utf8_str().data()));
    EXPECT_EQ(tree->GetValueColumnCount(), 1);
    EXPECT_EQ(QueryRows(path, std::string("SELECT x_coord, count, e, w FROM ") +
                                  tree->GetTableName() + " ORDER BY rowid"),
              (std::vector<std::string>{"0.0,0.5,0.25,0.0", "2.0,0.25,0.0,0.5"}));
    // Its cell size comes from its own cells, here two metres apart.
    EXPECT_EQ(tree->GetCellSize(), 2.0);

    // A tree that takes up nothing anywhere: an empty table and no cells.
    auto none = Load(std::string(StemUptakeQuery("T2").utf8_str().data()));
    EXPECT_TRUE(none->IsIndexReady());
    EXPECT_TRUE(QueryColumn(path, std::string("SELECT * FROM ") + none->GetTableName()).empty());
    none->First();
    EXPECT_FALSE(none->IsValid());
    none->Close();
    EXPECT_EQ(none->GetMinValue(), 100000.0);
    EXPECT_EQ(none->GetMaxValue(), -100000.0);
    EXPECT_EQ(none->GetCellSize(), 1.0);
}

TEST_F(UptakeGridDataTest, ClearFilterReadsTheWholeTableAgain) {
    MakeGrid(path, {{0, 0, {1}}, {1, 0, {2}}, {2, 0, {3}}}, 1);
    auto grid = Load();
    grid->SetFilter(Query("WHERE count >= 2"));
    grid->First();
    std::vector<double> values;
    for (; grid->IsValid(); grid->Next()) {
        values.push_back(grid->GetValue());
    }
    EXPECT_EQ(values, (std::vector<double>{2, 3}));
    grid->ClearFilter();
    values.clear();
    for (grid->First(); grid->IsValid(); grid->Next()) {
        values.push_back(grid->GetValue());
    }
    grid->Close();
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3}));
}

TEST_F(UptakeGridDataTest, InMemoryCellsAreKeyedToTwoDecimals) {
    MakeGrid(path, {{0, 0, {1}}}, 1);
    auto grid = Load();
    grid->SetDefaultValue(-1.0);
    grid->AddPoint(2.0, 3.0, {1.0, 2.0});
    EXPECT_EQ(grid->GetValueAt(2.0, 3.0), 3.0);
    EXPECT_EQ(grid->GetValueAt(2.004, 3.0), 3.0);
    EXPECT_EQ(grid->GetValueAt(2.01, 3.0), -1.0);
    EXPECT_EQ(grid->GetMaxValue(), 3.0);
    EXPECT_EQ(grid->GetXMax(), 2.0);
    EXPECT_EQ(grid->GetYMax(), 3.0);
    // 2.0 - 0.0 is not below the cell size of 1.0; 0.25 is.
    EXPECT_EQ(grid->GetCellSize(), 1.0);
    grid->AddPoint(0.25, 3.0, {0.5});
    EXPECT_EQ(grid->GetCellSize(), 0.25);
    // The index table is untouched.
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM _idx_grid_uptake_13365"),
              std::vector<std::string>{"1"});
}

// Values that six decimals and single precision round differently, cells
// off any binary grid, a repeated cell and a cell without neighbours: the
// table must hold what its definition gives, value for value.
TEST_F(UptakeGridDataTest, AwkwardValuesAndPositionsMatchTheDefinition) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double, T1 double, "
            "T2 double);"
            "INSERT INTO grid VALUES (1, 0.1, 0.2, 1234.56789, -0.0000004);"
            "INSERT INTO grid VALUES (2, 0.2, 0.2, 0.1, 0.2);"
            "INSERT INTO grid VALUES (3, 0.1, 0.3, 1e-7, 0);"
            "INSERT INTO grid VALUES (4, 0.2, 0.2, 7.25, 1);"
            "INSERT INTO grid VALUES (5, 0.1, 0.1, -3.3333333, 0);"
            "INSERT INTO grid VALUES (6, 0.1, 12.9, 2, 2);");
    auto grid = Load();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const auto expected = indexcheck::ExpectedCells(db, "SELECT * FROM grid", true);
    EXPECT_EQ(indexcheck::CompareTable(db, "_idx_grid_uptake_13365", expected), "");
    sqlite3_close(db);
    // Sums stored to six decimals, handed on as read back in single precision.
    EXPECT_EQ(QueryRows(path,
                        "SELECT count, n, e, s, w FROM _idx_grid_uptake_13365 WHERE rowid "
                        "IN (1, 2)"),
              (std::vector<std::string>{"1234.567871,0.0,8.25,-3.333333,0.0",
                                        "0.3,0.0,0.0,0.0,1234.567871"}));
}

// A sum too large for single precision cannot be stored; such a source is
// built statement by statement, each as its definition writes it.
TEST_F(UptakeGridDataTest, SourceWithValuesBeyondSinglePrecisionIsBuiltStatementByStatement) {
    MakeGrid(path, {{0, 0, {0.125}}, {1, 0, {1e300}}}, 1);
    Database database(path.c_str());
    SqlTrace trace(database);
    UptakeGridData grid(database, Query("SELECT * FROM grid"), "grid", "x_coord", "y_coord",
                        ProgressMonitor(0, 0));
    std::string updates;
    for (const std::string& text : trace.StartingWith("UPDATE _idx_")) {
        updates += text;
    }
    const std::string t = "_idx_grid_uptake_13365";
    EXPECT_EQ(updates,
              "UPDATE " + t +
                  " SET n = 0.125000 WHERE x_coord = 0.000000 AND y_coord = -1.000000;\t\t\t "
                  "UPDATE " +
                  t +
                  " SET e = 0.125000 WHERE x_coord = -1.000000 AND y_coord = 0.000000;\t\t\t "
                  "UPDATE " +
                  t +
                  " SET s = 0.125000 WHERE x_coord = 0.000000 AND y_coord = 1.000000;\t\t\t "
                  "UPDATE " +
                  t + " SET w = 0.125000 WHERE x_coord = 1.000000 AND y_coord = 0.000000;");
    EXPECT_EQ(trace.StartingWith("CREATE INDEX").size(), 4u);
    EXPECT_EQ(
        trace.StartingWith("CREATE INDEX TB_IDX_COUNT_UPTAKE_13365 on " + t + " (count)").size(),
        1u);
    // The infinite sum makes its INSERT fail; the build goes on without that row.
    EXPECT_EQ(QueryRows(path, kRows), std::vector<std::string>{"0.0,0.0,0.125,0.0,0.0,0.0,0.0"});
}
