#include <gtest/gtest.h>

#include "PlotFixture.h"
#include "data/FirstValue.h"
#include "data/GridSource.h"

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
