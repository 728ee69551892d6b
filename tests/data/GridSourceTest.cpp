#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "PlotFixture.h"
#include "data/FirstValue.h"
#include "data/GridSource.h"
#include "tools/IndexCheck.h"

namespace {

class GridSourceTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");
};

}  // namespace

// The one-pass extents agree with a sorted query per extent, also where the
// column holds NULL (first) or texts (sorted as the numbers they hold).
TEST_F(GridSourceTest, ExtentsAreWhatEachSortedQueryGives) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id, x_coord, y_coord, T1);"
            "INSERT INTO grid VALUES (1, 4.5, 2, 1);"
            "INSERT INTO grid VALUES (2, NULL, -3.25, 1);"
            "INSERT INTO grid VALUES (3, 7, '12abc', 1);"
            "INSERT INTO grid VALUES (4, -2, 8, 1);");
    Database database(path.c_str());
    GridSource source(database, "SELECT * FROM grid", "x_coord", "y_coord");
    const char* const orders[] = {"quenvar_number(x_coord) ASC", "quenvar_number(x_coord) DESC",
                                  "quenvar_number(y_coord) ASC", "quenvar_number(y_coord) DESC"};
    double found[4] = {-1, -1, -1, -1};
    EXPECT_TRUE(source.ReadXMin(found[0]));
    EXPECT_TRUE(source.ReadXMax(found[1]));
    EXPECT_TRUE(source.ReadYMin(found[2]));
    EXPECT_TRUE(source.ReadYMax(found[3]));
    for (int i = 0; i < 4; ++i) {
        double expected = -1;
        ReadFirstValue(database, Query("SELECT * FROM grid ORDER BY %s LIMIT 1", orders[i]),
                       i < 2 ? "x_coord" : "y_coord", expected);
        EXPECT_EQ(found[i], expected) << orders[i];
    }
    EXPECT_EQ(found[0], 0.0);  // NULL
    EXPECT_EQ(found[3], 8.0);  // not "12abc", a text that holds no number
    EXPECT_EQ(source.GetColumnCount(), 4);

    GridSource none(database, "SELECT * FROM grid WHERE T1 = 2", "x_coord", "y_coord");
    double untouched = 5.0;
    EXPECT_FALSE(none.ReadXMin(untouched));
    EXPECT_EQ(untouched, 5.0);
    EXPECT_EQ(none.GetColumnCount(), 0);
    EXPECT_TRUE(none.GetCells().empty());
}

// A row wider than one call of SQLite's function can take comes in parts:
// every value must still be read, in column order, as fetching it would
// read it (each column with the type of its first row), and the table's
// record must be what a pass fetching every value finds.
TEST_F(GridSourceTest, WideRowsHandedOverInPartsReadAsFetchedValues) {
    const int trees = 300;
    std::string create = "CREATE TABLE grid (gridcell_id, x_coord, y_coord";
    for (int t = 0; t < trees; ++t) {
        create += ", T" + std::to_string(t);
    }
    ExecSql(path, create + ");");
    const char* const kinds[] = {"%d", "%d.25", "'2.5'", "NULL", "'NA'", "-%d.5"};
    for (int row = 0; row < 4; ++row) {
        std::string insert = "INSERT INTO grid VALUES (" + std::to_string(row) + ", " +
                             std::to_string(row % 2) + ".5, " + std::to_string(row) + "";
        for (int t = 0; t < trees; ++t) {
            char value[32];
            std::snprintf(value, sizeof value, kinds[(t + row * (t % 3)) % 6], t % 7);
            insert += std::string(", ") + value;
        }
        ExecSql(path, insert + ");");
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::vector<double> sums;
    std::vector<int> positives;
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM grid", -1, &rows, nullptr);
    std::vector<int> types;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        for (int i = static_cast<int>(types.size()); i < trees + 3; ++i) {
            types.push_back(sqlite3_column_type(rows, i));
        }
        double sum = 0.0;
        int positive = 0;
        for (int i = 3; i < trees + 3; ++i) {
            const double value = indexcheck::ReadAs(rows, i, types[static_cast<size_t>(i)]);
            sum += value;
            positive += value > 0.0 ? 1 : 0;
        }
        sums.push_back(sum);
        positives.push_back(positive);
    }
    sqlite3_finalize(rows);
    sqlite3_close(db);

    Database database(path.c_str());
    GridSource source(database, "SELECT * FROM grid", "x_coord", "y_coord");
    const std::vector<SourceCell>& cells = source.GetCells();
    ASSERT_EQ(cells.size(), sums.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i].x, i % 2 + 0.5);
        EXPECT_EQ(cells[i].y, double(i));
        EXPECT_EQ(cells[i].sum, sums[i]) << "row " << i;
        EXPECT_EQ(cells[i].positive, positives[i]) << "row " << i;
    }
    ASSERT_TRUE(source.IsReadComplete());
    const TableState fetched = Database(path.c_str()).ReadTableState("grid");
    const TableState& handed = source.GetReadState();
    ASSERT_EQ(handed.columns.size(), fetched.columns.size());
    EXPECT_EQ(handed.rows, fetched.rows);
    for (size_t i = 0; i < handed.columns.size(); ++i) {
        const ColumnState& a = handed.columns[i];
        const ColumnState& b = fetched.columns[i];
        EXPECT_EQ(std::tie(a.name, a.values, a.textRow, a.text),
                  std::tie(b.name, b.values, b.textRow, b.text))
            << b.name;
    }
}
