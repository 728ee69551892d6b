// Odd and damaged plot files: each one opens with what its data support, or
// is refused, and nothing crashes or hangs.
#include <gtest/gtest.h>

#include <filesystem>

#include "PlotFixture.h"
#include "data/PlotFile.h"
#include "data/PlotGenerator.h"
#include "db/SqlText.h"

namespace {

class RobustnessTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    std::unique_ptr<PlotFile> Open() {
        return std::make_unique<PlotFile>(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    }
    std::vector<double> Values(GridData* grid) {
        std::vector<double> values;
        for (grid->First(); grid->IsValid(); grid->Next()) {
            values.push_back(grid->GetValue());
        }
        grid->Close();
        return values;
    }
    std::unique_ptr<UptakeGridData> TreeSet(PlotFile& plot, const wxString& label) {
        return std::make_unique<UptakeGridData>(
            plot.GetDatabase(), Query("%s", StemUptakeQuery(label).utf8_str().data()), "grid",
            "x_coord", "y_coord", ProgressMonitor(0, 0));
    }
};

}  // namespace

TEST_F(RobustnessTest, GridWithFewerThanThreeColumns) {
    ExecSql(path,
            "CREATE TABLE grid (x_coord double, y_coord double);"
            "INSERT INTO grid VALUES (0, 0); INSERT INTO grid VALUES (1, 0);");
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_TRUE(plot->GetTreeNames().empty());
    EXPECT_EQ(Values(plot->GetUptakeGrid()), (std::vector<double>{0, 0}));
    EXPECT_EQ(plot->GetFullExtent().xMax, 1.0);
}

TEST_F(RobustnessTest, TextAndNullValuesCountAsTheirNumbers) {
    // A column that is text or NULL in the first row is read as text throughout.
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id, x_coord, y_coord, T1, T2);"
            "INSERT INTO grid VALUES (1, 0, 0, 'abc', NULL);"
            "INSERT INTO grid VALUES (2, 1, 0, NULL, 2.5);"
            "INSERT INTO grid VALUES (3, NULL, 'x', '1.5', 'lots');");
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_EQ(Values(plot->GetUptakeGrid()), (std::vector<double>{0, 2.5, 1.5}));
    EXPECT_EQ(Values(plot->GetNeighborGrid()), (std::vector<double>{0, 1, 1}));
}

TEST_F(RobustnessTest, DuplicateAndSingleCells) {
    MakeGrid(path, {{0, 0, {1}}, {0, 0, {2}}, {1, 0, {4}}}, 1);
    auto plot = Open();
    EXPECT_EQ(Values(plot->GetUptakeGrid()), (std::vector<double>{1, 2, 4}));
    // Both copies of (0, 0) get the east value.
    EXPECT_EQ(QueryColumn(path, "SELECT e FROM _idx_grid_uptake_13365 ORDER BY rowid"),
              (std::vector<std::string>{"4.0", "4.0", "0.0"}));
    plot.reset();

    std::filesystem::remove(path);
    MakeGrid(path, {{3, 4, {1}}}, 1);
    plot = Open();
    EXPECT_EQ(plot->GetFullExtent().xMin, 3.0);
    EXPECT_EQ(plot->GetFullExtent().xMax, 3.0);
    EXPECT_EQ(plot->GetUptakeGrid()->GetCellSize(), 1.0);
    EXPECT_EQ(Values(plot->GetNeighborGrid()), (std::vector<double>{1}));
}

TEST_F(RobustnessTest, EmptyTables) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double, T1 double);"
            "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, Crown_d_m "
            "double);");
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_EQ(plot->GetFullExtent().xMin, 0.0);
    EXPECT_EQ(plot->GetFullExtent().xMax, 0.0);
    EXPECT_TRUE(Values(plot->GetUptakeGrid()).empty());
    EXPECT_EQ(plot->GetUptakeGrid()->GetMaxValue(), -100000.0);
    EXPECT_EQ(plot->GetStemValue("T1", "dbh"), 0.0);
    plot->GetStemPoints()->First();
    EXPECT_FALSE(plot->GetStemPoints()->IsValid());
    plot->GetStemPoints()->Close();
}

TEST_F(RobustnessTest, GridWithAsManyTreesAsSQLiteAllows) {
    PlotRequest request;
    request.width = 3;
    request.height = 2;
    request.trees = kMaxPlotTrees;
    std::string error;
    ASSERT_TRUE(WritePlot(path, request, error)) << error;
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    const std::vector<wxString> names = plot->GetTreeNames();
    ASSERT_EQ(names.size(), 1997u);
    EXPECT_EQ(names.back(), "T1997");
    EXPECT_EQ(plot->GetUptakeGrid()->GetValueColumnCount(), 1997);
    EXPECT_EQ(Values(plot->GetUptakeGrid()).size(), 6u);
    auto tree = TreeSet(*plot, "T1997");
    EXPECT_TRUE(tree->IsIndexReady());
}

TEST_F(RobustnessTest, LabelsWithSpacesQuotesBackquotesAndOtherScripts) {
    const std::vector<std::string> labels = {"Tree 1", "O'Brien", "say \"hi\"", "a`b",
                                             "Берёза обыкновенная"};
    std::string sql = "CREATE TABLE grid (gridcell_id, x_coord, y_coord";
    for (const std::string& label : labels) {
        sql += ", " + SqlName(label) + " double";
    }
    sql +=
        ");INSERT INTO grid VALUES (1, 0, 0, 1, 0, 3, 0, 5);"
        "INSERT INTO grid VALUES (2, 1, 0, 0, 2, 0, 4, 0.5);"
        "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double);";
    for (size_t i = 0; i < labels.size(); ++i) {
        sql += "INSERT INTO stem VALUES (" + SqlLiteral(labels[i]) + ", " + std::to_string(i) +
               ", 0, " + std::to_string(i + 1) + ");";
    }
    ExecSql(path, sql);
    auto plot = Open();
    ASSERT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    std::vector<wxString> expected;
    for (const std::string& label : labels) {
        expected.push_back(wxString::FromUTF8(label.c_str()));
    }
    EXPECT_EQ(plot->GetTreeNames(), expected);

    const double sums[] = {1, 2, 3, 4, 5.5};
    for (size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i]);
        const wxString label = wxString::FromUTF8(labels[i].c_str());
        EXPECT_EQ(plot->GetStemValue(label, "dbh"), double(i + 1));
        auto tree = TreeSet(*plot, label);
        ASSERT_TRUE(tree->IsIndexReady());
        double sum = 0;
        for (double value : Values(tree.get())) {
            sum += value;
        }
        EXPECT_EQ(sum, sums[i]);
    }
    // Cyrillic bytes count negative: a long enough label gives a negative index name.
    auto cyrillic = TreeSet(*plot, wxString::FromUTF8("Берёза обыкновенная"));
    ASSERT_EQ(cyrillic->GetIndexName().rfind("uptake_-", 0), 0u);
    EXPECT_TRUE(
        SchemaHas(path, "index", "TB_IDX_COUNT_UPTAKE_" + cyrillic->GetIndexName().substr(7)));
    EXPECT_EQ(Values(cyrillic.get()), (std::vector<double>{5, 0.5}));
}

TEST_F(RobustnessTest, StemsWithoutDiametersAndOutsideTheGrid) {
    MakeGrid(path, {{0, 0, {1}}, {10, 10, {1}}}, 1);
    ExecSql(path,
            "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double);"
            "INSERT INTO stem VALUES ('T1', -30, 40);");
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_TRUE(plot->GetStemAttributeNames().empty());
    EXPECT_EQ(plot->GetStemValue("T1", "dbh"), 0.0);
    EXPECT_EQ(plot->GetFullExtent().xMin, -30.0);
    EXPECT_EQ(plot->GetFullExtent().yMax, 40.0);
}

TEST_F(RobustnessTest, TruncatedDatabaseIsRefusedUntouched) {
    PlotRequest request;
    request.width = 30;
    request.height = 30;
    request.trees = 20;
    std::string error;
    ASSERT_TRUE(WritePlot(path, request, error)) << error;
    const std::string whole = ReadFile(path);
    const std::string truncated = whole.substr(0, whole.size() / 3);
    WriteFile(path, truncated);
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Refused);
    EXPECT_NE(plot->GetOpening().problem.Find("damaged"), wxNOT_FOUND);
    EXPECT_TRUE(plot->GetTreeNames().empty());
    EXPECT_EQ(plot->GetStemValue("T01", "dbh"), 0.0);
    EXPECT_EQ(ReadFile(path), truncated);
}
