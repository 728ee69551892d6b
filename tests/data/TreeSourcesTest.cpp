#include <gtest/gtest.h>

#include "PlotFixture.h"
#include "data/PlotFile.h"
#include "data/TreeSources.h"

namespace {

// Rows whose values and positions have every storage type, so that the
// one-pass reading must follow each tree's own query in its comparisons,
// its conversions and the kinds its first row fixes.
const char* const kMixedGrid =
    "CREATE TABLE grid (gridcell_id, x_coord, y_coord, T1, T2, T3, T4, T5);"
    "INSERT INTO grid VALUES (1, 0.5, 0, 1, 0, NULL, '2.5', 0.0);"
    "INSERT INTO grid VALUES (2, '1.5', 0.5, 2.25, -1, 0, 'NA', 0);"
    "INSERT INTO grid VALUES (3, NULL, 1, 0, 3000000000, 1e-3, ' 4 ', 0);"
    "INSERT INTO grid VALUES (4, 2, 'x', 5, 0.0, 2, X'3100', 0);"
    "INSERT INTO grid VALUES (5, -1.25, 2, 7, 1, 3, 0, '0.0');"
    "INSERT INTO grid VALUES (6, 1e300, -0.1, 0.3, 2, '7', 5, 0);";

void ExpectSameSource(GridSource& alone, GridSource& gathered, const std::string& tree) {
    SCOPED_TRACE(tree);
    bool (GridSource::*const reads[])(double&) = {&GridSource::ReadXMin, &GridSource::ReadXMax,
                                                  &GridSource::ReadYMin, &GridSource::ReadYMax};
    for (auto read : reads) {
        double a = -7.0;
        double b = -7.0;
        EXPECT_EQ((alone.*read)(a), (gathered.*read)(b));
        EXPECT_EQ(a, b);
    }
    EXPECT_EQ(alone.GetColumnCount(), gathered.GetColumnCount());
    const std::vector<SourceCell>& one = alone.GetCells();
    const std::vector<SourceCell>& many = gathered.GetCells();
    ASSERT_EQ(one.size(), many.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].x, many[i].x) << i;
        EXPECT_EQ(one[i].y, many[i].y) << i;
        EXPECT_EQ(one[i].sum, many[i].sum) << i;
        EXPECT_EQ(one[i].positive, many[i].positive) << i;
    }
}

std::string TreeQuery(const std::string& tree) {
    return "SELECT gridcell_id, x_coord, y_coord, `" + tree + "` FROM grid WHERE quenvar_number(`" +
           tree + "`) != 0";
}

}  // namespace

// Many trees gathered in one pass equal those gathered one by one.
TEST(TreeSourcesTest, OnePassGivesWhatEachTreeReadsAlone) {
    TempDir dir;
    const std::string path = dir.File("plot.db");
    ExecSql(path, kMixedGrid);
    Database database(path.c_str());
    const std::vector<std::string> trees = {"T1", "T2", "T3", "T4", "T5", "T9"};
    std::map<std::string, GatheredSource> gathered;
    std::string error;
    ASSERT_TRUE(GatherTreeSources(database, trees, {"T1", "T2", "T3", "T4", "T5"}, gathered, error))
        << error;
    EXPECT_EQ(gathered.size(), 5u);  // T9 is no column
    for (auto& [tree, found] : gathered) {
        GridSource alone(database, TreeQuery(tree).c_str(), "x_coord", "y_coord");
        GridSource shared(database, TreeQuery(tree).c_str(), "x_coord", "y_coord");
        shared.Take(std::move(found));
        ExpectSameSource(alone, shared, tree);
    }

    // A grid whose positions are not where the trees' queries find them is
    // left to them.
    ExecSql(path, "DROP TABLE grid; CREATE TABLE grid (gridcell_id, X_COORD, y_coord, T1);");
    Database renamed(path.c_str());
    EXPECT_FALSE(GatherTreeSources(renamed, {"T1"}, {}, gathered, error));
}

// The trees' index tables built from one pass are those built tree by tree,
// and tables found built take the same extents from it.
TEST(TreeSourcesTest, TreesGatheredTogetherBuildTheSameTables) {
    TempDir dir;
    const std::string one = dir.File("one.db");
    const std::string many = dir.File("many.db");
    for (const std::string& path : {one, many}) {
        MakeTreePlot(path);
    }
    const std::vector<wxString> trees = {"T1", "T2", "T3", "T4"};
    PlotFile byOne(wxString::FromUTF8(one.c_str()), ProgressMonitor(0, 0));
    PlotFile together(wxString::FromUTF8(many.c_str()), ProgressMonitor(0, 0));
    together.GatherTrees(trees);
    for (const wxString& tree : trees) {
        byOne.GetTreeGrid(tree);
    }
    PlotFile reopened(wxString::FromUTF8(one.c_str()), ProgressMonitor(0, 0));
    reopened.GatherTrees(trees);
    for (const wxString& tree : trees) {
        UptakeGridData* alone = byOne.GetTreeGrid(tree);
        UptakeGridData* shared = together.GetTreeGrid(tree);
        UptakeGridData* found = reopened.GetTreeGrid(tree);
        ASSERT_EQ(alone == nullptr, found == nullptr) << tree;
        ASSERT_EQ(alone == nullptr, shared == nullptr) << tree;  // T4 has no column
        if (!alone) {
            continue;
        }
        EXPECT_EQ(alone->GetMinValue(), shared->GetMinValue());
        EXPECT_EQ(alone->GetMaxValue(), shared->GetMaxValue());
        EXPECT_EQ(alone->GetXMin(), shared->GetXMin());
        EXPECT_EQ(alone->GetYMax(), shared->GetYMax());
        EXPECT_EQ(alone->GetXMax(), found->GetXMax());
        EXPECT_EQ(alone->GetYMin(), found->GetYMin());
        EXPECT_EQ(alone->GetMaxValue(), found->GetMaxValue());
        const std::string table = alone->GetTableName();
        EXPECT_EQ(table, shared->GetTableName());
        EXPECT_EQ(QueryRows(one, "SELECT * FROM " + table),
                  QueryRows(many, "SELECT * FROM " + table));
    }
}
