// The cells a renderer's view asks for come from the index table held in
// memory; they must be the query's cells in the query's order.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlotFixture.h"
#include "data/UptakeGridData.h"
#include "db/SqlText.h"

namespace {

struct Seen {
    double x, y, value;
    bool operator==(const Seen& other) const {
        return x == other.x && y == other.y && value == other.value;
    }
};

std::vector<Seen> Walk(GridData& grid) {
    std::vector<Seen> seen;
    for (grid.First(); grid.IsValid(); grid.Next()) {
        seen.push_back({grid.GetX(), grid.GetY(), grid.GetValue()});
    }
    grid.Close();
    return seen;
}

class ViewCellsTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    // Rows out of y order, repeated positions, values of both signs.
    void MakeUnorderedGrid() {
        std::vector<PlotCell> cells;
        for (int k = 0; k < 60; ++k) {
            const int i = (k * 7) % 10;
            const int j = (k * 13) % 6;
            cells.push_back({i * 0.5, j * 0.5, {(k % 5) - 1.5, k % 3 == 0 ? 0.25 : 0.0}});
        }
        MakeGrid(path, cells, 2);
    }

    // The level lines' cells, against the query they stand for.
    void ExpectLevelCellsOfQuery(UptakeGridData& grid, const ViewFilter& view) {
        const Query levels(
            "SELECT * FROM (SELECT * FROM %s WHERE x_coord >= %f AND x_coord <= %f "
            "AND y_coord >= %f AND y_coord <= %f) \t\tWHERE count != n OR count "
            "!= e OR count != s OR count != w",
            SqlName(grid.GetTableName()).c_str(), view.xMin, view.xMax, view.yMin, view.yMax);
        std::vector<LevelCell> cells;
        ASSERT_TRUE(grid.ReadLevelCells(view, cells));
        std::vector<std::string> fromMemory;
        for (const LevelCell& c : cells) {
            fromMemory.push_back(std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                                 std::to_string(c.count) + " " + std::to_string(c.n) + " " +
                                 std::to_string(c.w));
        }
        std::vector<std::string> fromQuery;
        for (const std::string& row :
             QueryRows(path, std::string("SELECT x_coord, y_coord, count, n, w FROM (") +
                                 levels.Text() + ")")) {
            double v[5];
            std::sscanf(row.c_str(), "%lf,%lf,%lf,%lf,%lf", &v[0], &v[1], &v[2], &v[3], &v[4]);
            std::string text;
            for (double value : v) {
                text += (text.empty() ? "" : " ") + std::to_string(static_cast<float>(value));
            }
            fromQuery.push_back(text);
        }
        EXPECT_FALSE(fromQuery.empty());
        EXPECT_EQ(fromMemory, fromQuery);
    }
};

}  // namespace

TEST_F(ViewCellsTest, ViewFiltersGiveTheQuerysCellsInItsOrder) {
    MakeUnorderedGrid();
    Database database(path.c_str());
    UptakeGridData grid(database, Query("SELECT * FROM grid"), "grid", "x_coord", "y_coord",
                        ProgressMonitor(0, 0));
    SqlTrace trace(database);
    const ViewFilter views[] = {
        {ViewFilter::EdgesIncluded, 0.5, 0.5, 3.5, 2.0},
        {ViewFilter::InsidePositive, 0.5, 0.5, 3.5, 2.0},
        {ViewFilter::EdgesIncluded, -10, -10, 10, 10},
        {ViewFilter::InsidePositive, 0.25, -0.1, 4.5000001, 2.4999999},
    };
    for (const ViewFilter& view : views) {
        SCOPED_TRACE(ViewFilterQuery(view, "x_coord", "y_coord").Text());
        grid.SetFilter(ViewFilterQuery(view, "x_coord", "y_coord"));
        const std::vector<Seen> byQuery = Walk(grid);
        const size_t queries = trace.StartingWith("SELECT * FROM (_idx").size();
        grid.SetViewFilter(view);
        const std::vector<Seen> byView = Walk(grid);
        EXPECT_EQ(trace.StartingWith("SELECT * FROM (_idx").size(), queries);  // not run
        EXPECT_FALSE(byQuery.empty());
        EXPECT_EQ(byView, byQuery);
    }

    ExpectLevelCellsOfQuery(grid, {ViewFilter::EdgesIncluded, 0.5, 0.0, 4.0, 2.5});
}

// A table found without its y index (a program stopped before making it, or
// another one dropped it) gets it back, and reads as the query reads it then.
TEST_F(ViewCellsTest, TableFoundWithoutItsYIndexGetsItBack) {
    MakeUnorderedGrid();
    {
        UptakeGridData built(Database(path.c_str()), Query("SELECT * FROM grid"), "grid", "x_coord",
                             "y_coord", ProgressMonitor(0, 0));
    }
    ExecSql(path, "DROP INDEX TB_IDX_LOCATION_Y_UPTAKE_13365;");
    Database database(path.c_str());
    UptakeGridData grid(database, Query("SELECT * FROM grid"), "grid", "x_coord", "y_coord",
                        ProgressMonitor(0, 0));
    EXPECT_FALSE(grid.LacksLookupIndexes());
    Result index = database.RunQuery(
        "SELECT 1 FROM sqlite_master WHERE name = 'TB_IDX_LOCATION_Y_UPTAKE_13365'");
    EXPECT_TRUE(index.HasRow());
    index.Close();
    const ViewFilter view{ViewFilter::EdgesIncluded, 0.5, 0.5, 3.5, 2.0};
    grid.SetFilter(ViewFilterQuery(view, "x_coord", "y_coord"));
    const std::vector<Seen> byQuery = Walk(grid);
    grid.SetViewFilter(view);
    EXPECT_EQ(Walk(grid), byQuery);
}

// An index of that name over other columns orders nothing by y: the query is run.
TEST_F(ViewCellsTest, IndexOfTheNameOnOtherColumnsIsNotTakenForTheYIndex) {
    MakeUnorderedGrid();
    {
        UptakeGridData built(Database(path.c_str()), Query("SELECT * FROM grid"), "grid", "x_coord",
                             "y_coord", ProgressMonitor(0, 0));
    }
    ExecSql(path,
            "DROP INDEX TB_IDX_LOCATION_Y_UPTAKE_13365;"
            "CREATE INDEX TB_IDX_LOCATION_Y_UPTAKE_13365 ON _idx_grid_uptake_13365 (x_coord);");
    Database database(path.c_str());
    UptakeGridData grid(database, Query("SELECT * FROM grid"), "grid", "x_coord", "y_coord",
                        ProgressMonitor(0, 0));
    SqlTrace trace(database);
    const ViewFilter view{ViewFilter::EdgesIncluded, 0.5, 0.5, 3.5, 2.0};
    grid.SetViewFilter(view);
    Walk(grid);
    EXPECT_EQ(trace.StartingWith("SELECT * FROM (_idx").size(), 1u);
}

// On a plot whose cells mostly hold 0, a walk that leaves zeros out, the
// clouds' walk and the level lines' walk visit short lists of cells: they
// must still give the query's cells, in its order.
TEST_F(ViewCellsTest, SparsePlotsWalkShortListsInTheQuerysOrder) {
    std::vector<PlotCell> cells;
    for (int k = 0; k < 400; ++k) {
        const double value = k % 37 == 5 ? 2.5 : k % 53 == 7 ? -1.0 : 0.0;
        const int place = (k * 37) % 400;  // every place once, out of y order
        cells.push_back({(place % 20) * 0.5, (place / 20) * 0.5, {value}});
    }
    MakeGrid(path, cells, 1);
    Database database(path.c_str());
    UptakeGridData grid(database, Query("SELECT * FROM grid"), "grid", "x_coord", "y_coord",
                        ProgressMonitor(0, 0));
    for (const ViewFilter& edges : {ViewFilter{ViewFilter::EdgesIncluded, 1.0, 0.5, 8.0, 7.5},
                                    ViewFilter{ViewFilter::EdgesIncluded, -1, -1, 11, 11}}) {
        grid.SetFilter(ViewFilterQuery(edges, "x_coord", "y_coord"));
        std::vector<Seen> nonZero = Walk(grid);
        nonZero.erase(std::remove_if(nonZero.begin(), nonZero.end(),
                                     [](const Seen& seen) { return seen.value == 0.0; }),
                      nonZero.end());
        ViewFilter leavingZeros = edges;
        leavingZeros.zerosUnused = true;
        grid.SetViewFilter(leavingZeros);
        EXPECT_FALSE(nonZero.empty());
        EXPECT_EQ(Walk(grid), nonZero);

        ViewFilter positive = edges;
        positive.kind = ViewFilter::InsidePositive;
        grid.SetFilter(ViewFilterQuery(positive, "x_coord", "y_coord"));
        const std::vector<Seen> byQuery = Walk(grid);
        grid.SetViewFilter(positive);
        EXPECT_EQ(Walk(grid), byQuery);
        ExpectLevelCellsOfQuery(grid, edges);
    }
}
