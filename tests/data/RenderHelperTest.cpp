// Opening a plot file: which files are taken, what is read from them, and
// the questions the window asks about trees and stems.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "PlotFixture.h"
#include "render/RenderHelper.h"

namespace {

bool LogHas(const std::string& file, const std::string& text) {
    for (const std::string& line : ReadLines(file)) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class RenderHelperTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    void MakeGridTable() {
        MakeGrid(path, {{0, 0, {1, 0}}, {50, 0, {0.5, 2}}, {0, 30, {0, 0}}, {50, 30, {1, 1}}}, 2);
    }
    void MakeStemTable() {
        ExecSql(path,
                "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, "
                "Crown_d_m double, height double);"
                "INSERT INTO stem VALUES ('T1', -2, 5, 0.3, 6, -1);"
                "INSERT INTO stem VALUES ('T2', 48, 35, 0.5, 9, -1.5);"
                "INSERT INTO stem VALUES ('T1', 10, 10, 0.7, 12, 20);");
    }
    std::unique_ptr<RenderHelper> Open(ProgressMonitor monitor = ProgressMonitor(0, 0)) {
        return std::make_unique<RenderHelper>(wxString::FromUTF8(path.c_str()), monitor);
    }
};

}  // namespace

TEST_F(RenderHelperTest, OpensGridAndStemsIntoOneExtent) {
    MakeGridTable();
    MakeStemTable();
    ProgressMonitor monitor(0, 0);
    auto helper = Open(monitor);
    EXPECT_EQ(helper->GetOpenStatus(), RenderHelper::OpenStatus::Loaded);
    EXPECT_TRUE(helper->GetOpenProblem().empty());
    EXPECT_EQ(helper->GetFullXMin(), -2.0);
    EXPECT_EQ(helper->GetFullXMax(), 50.0);
    EXPECT_EQ(helper->GetFullYMin(), 0.0);
    EXPECT_EQ(helper->GetFullYMax(), 35.0);
    EXPECT_EQ(helper->GetViewXMin(), -2.0);
    EXPECT_EQ(helper->GetViewYMax(), 35.0);
    helper->SetView(1, 2, 3, 4);
    EXPECT_EQ(helper->GetViewXMin(), 1.0);
    EXPECT_EQ(helper->GetViewYMax(), 4.0);
    EXPECT_EQ(helper->GetFullXMin(), -2.0);

    EXPECT_EQ(helper->GetTreeNames(), (std::vector<wxString>{"T1", "T2"}));
    EXPECT_EQ(helper->GetRootData()->GetTreeCount(), 2);
    EXPECT_EQ(helper->GetStemAttributeNames(),
              (std::vector<wxString>{"dbh", "Crown_d_m", "height"}));
    EXPECT_EQ(helper->GetStemData()->GetStemCount(), 3);
    ASSERT_NE(helper->GetUptakeGrid(), nullptr);
    ASSERT_NE(helper->GetNeighborGrid(), nullptr);
    EXPECT_EQ(helper->GetUptakeGrid()->GetMaxValue(), 2.5);
    EXPECT_EQ(helper->GetNeighborGrid()->GetMaxValue(), 2.0);
    EXPECT_EQ(helper->GetStemPoints()->GetPointCount(), 3);
    EXPECT_EQ(helper->GetStemPoints()->GetXMin(), -2.0);

    // The stem points come last and leave the message of the grid sets.
    EXPECT_EQ(monitor.GetMessage(), "Loading Neighbor Data...");
    EXPECT_EQ(monitor.GetTotal(), 5);
    EXPECT_EQ(monitor.GetProgress(), 5);
}

TEST_F(RenderHelperTest, StemValuesTreatMinusOneAsMissing) {
    MakeGridTable();
    MakeStemTable();
    auto helper = Open();
    EXPECT_EQ(helper->GetStemValue("T1", "dbh"), static_cast<double>(0.3f));
    EXPECT_EQ(helper->GetStemValue("T2", "Crown_d_m"), 9.0);
    EXPECT_EQ(helper->GetStemValue("T1", "height"), 0.0);
    EXPECT_TRUE(LogHas("console.log", "(console) height not found! returning 0"));
    EXPECT_EQ(helper->GetStemValue("T2", "height"), -1.5);
    EXPECT_EQ(helper->GetStemValue("T9", "dbh"), 0.0);
    EXPECT_EQ(helper->GetStemValue("T2", "girth"), 0.0);
}

TEST_F(RenderHelperTest, DeletingIndexTablesAfterReadingAStemDropsThem) {
    MakeGridTable();
    MakeStemTable();
    auto helper = Open();
    ASSERT_TRUE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    EXPECT_EQ(helper->GetStemValue("T1", "Crown_d_m"), 6.0);
    helper->GetDatabase().DeleteAllIndexTables();
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_neighbor_13365"));
    EXPECT_TRUE(QueryColumn(path, "SELECT * FROM _db_indexes").empty());
}

// A tree's set is made once for the open file, and made again (with its
// table) after the index tables were deleted.
TEST_F(RenderHelperTest, TreeSetIsKeptUntilTheIndexTablesAreDeleted) {
    MakeGridTable();
    MakeStemTable();
    auto helper = Open();
    UptakeGridData* tree = helper->GetTreeGrid("T2");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(helper->GetTreeGrid("T2"), tree);
    EXPECT_EQ(tree->GetMaxValue(), 2.0);
    const std::string table = tree->GetTableName();
    EXPECT_TRUE(SchemaHas(path, "table", table));
    EXPECT_EQ(helper->GetTreeGrid("T9"), nullptr);  // no such tree

    helper->DeleteIndexTables();
    EXPECT_FALSE(SchemaHas(path, "table", table));
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    ASSERT_NE(helper->GetTreeGrid("T2"), nullptr);
    EXPECT_TRUE(SchemaHas(path, "table", table));
}

TEST_F(RenderHelperTest, FileWithoutStemOpensWithTheGridAlone) {
    MakeGridTable();
    auto helper = Open();
    EXPECT_EQ(helper->GetOpenStatus(), RenderHelper::OpenStatus::Loaded);
    EXPECT_TRUE(LogHas("error.log", "(error) No stem data in database file."));
    EXPECT_EQ(helper->GetFullXMin(), 0.0);
    EXPECT_EQ(helper->GetFullXMax(), 50.0);
    EXPECT_EQ(helper->GetFullYMax(), 30.0);
    EXPECT_FALSE(helper->HasStemData());
    EXPECT_EQ(helper->GetStemPoints(), nullptr);
    EXPECT_TRUE(helper->GetStemAttributeNames().empty());
    EXPECT_EQ(helper->GetStemValue("T1", "dbh"), 0.0);
    EXPECT_EQ(helper->GetTreeNames().size(), 2u);
}

TEST_F(RenderHelperTest, FileWithoutGridOpensWithTheStemsAlone) {
    MakeStemTable();
    auto helper = Open();
    EXPECT_EQ(helper->GetOpenStatus(), RenderHelper::OpenStatus::Loaded);
    EXPECT_TRUE(LogHas("error.log", "(error) No root data in database file."));
    EXPECT_EQ(helper->GetFullXMin(), -2.0);
    EXPECT_EQ(helper->GetFullXMax(), 48.0);
    EXPECT_EQ(helper->GetFullYMin(), 5.0);
    EXPECT_EQ(helper->GetFullYMax(), 35.0);
    EXPECT_EQ(helper->GetUptakeGrid(), nullptr);
    EXPECT_EQ(helper->GetNeighborGrid(), nullptr);
    EXPECT_TRUE(helper->GetTreeNames().empty());
    EXPECT_EQ(helper->GetStemValue("T2", "dbh"), 0.5);
    EXPECT_TRUE(
        QueryColumn(path, "SELECT name FROM sqlite_master WHERE name LIKE '_idx_%'").empty());
}

TEST_F(RenderHelperTest, FilesWithoutPlotDataAreRefusedUntouched) {
    ExecSql(
        path,
        "CREATE TABLE accounts (id integer, owner text); INSERT INTO accounts VALUES (1, 'me');");
    WriteFile(dir.File("notes.db"), "These are my notes, not a database.\n");
    WriteFile(dir.File("image.db"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const std::string& file : {path, dir.File("notes.db"), dir.File("image.db")}) {
        SCOPED_TRACE(file);
        const std::string before = ReadFile(file);
        RenderHelper helper(wxString::FromUTF8(file.c_str()), ProgressMonitor(0, 0));
        EXPECT_EQ(helper.GetOpenStatus(), RenderHelper::OpenStatus::NoPlotData);
        EXPECT_NE(helper.GetOpenProblem().Find(wxString::FromUTF8(file.c_str())), wxNOT_FOUND);
        EXPECT_EQ(helper.GetDatabase().GetConnection(), nullptr);
        EXPECT_EQ(helper.GetUptakeGrid(), nullptr);
        EXPECT_EQ(helper.GetStemPoints(), nullptr);
        EXPECT_TRUE(helper.GetTreeNames().empty());
        EXPECT_EQ(helper.GetStemValue("T1", "dbh"), 0.0);
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_FALSE(std::filesystem::exists(file + "-journal"));
    }
    EXPECT_TRUE(LogHas("error.log", "(error) No root data in database file."));
    EXPECT_TRUE(LogHas("error.log", "(error) No stem data in database file."));

    const std::string missing = dir.File("missing.db");
    RenderHelper helper(wxString::FromUTF8(missing.c_str()), ProgressMonitor(0, 0));
    EXPECT_EQ(helper.GetOpenStatus(), RenderHelper::OpenStatus::NoPlotData);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(RenderHelperTest, DestroyingTheHelperClosesTheFile) {
    MakeGridTable();
    MakeStemTable();
    auto helper = Open();
    std::weak_ptr<Connection> connection = helper->GetDatabase().GetConnection();
    ASSERT_FALSE(connection.expired());
    helper.reset();
    EXPECT_TRUE(connection.expired());
}

// A file nobody may write: opened in a child process that has given up the
// rights that would let it write anyway (tests may run as root).
class ReadOnlyPlotTest : public RenderHelperTest {
  protected:
    // Exit code of the child: ten times the status, plus one when the
    // uptake set has cells; 99 when the rights could not be dropped.
    int OpenInChild() {
        chmod(path.c_str(), 0444);
        chmod(dir.Path().c_str(), 0555);
        fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(99);
            }
            int code = 0;
            {
                RenderHelper helper(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
                code = static_cast<int>(helper.GetOpenStatus()) * 10;
                if (helper.GetOpenStatus() == RenderHelper::OpenStatus::IndexFailed &&
                    helper.GetOpenProblem().Find("cannot be written") == wxNOT_FOUND) {
                    code = 98;
                }
                if (UptakeGridData* uptake = helper.GetUptakeGrid()) {
                    uptake->First();
                    code += uptake->IsValid() ? 1 : 0;
                    uptake->Close();
                }
            }
            _exit(code);
        }
        int status = 0;
        waitpid(child, &status, 0);
        chmod(dir.Path().c_str(), 0700);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(ReadOnlyPlotTest, UnbuiltIndexTablesAreReportedAndNothingIsWritten) {
    MakeGridTable();
    MakeStemTable();
    const std::string before = ReadFile(path);
    const int code = OpenInChild();
    if (code == 99) {
        GTEST_SKIP() << "cannot drop root rights here";
    }
    EXPECT_EQ(code, 20);  // IndexFailed, no cells, the problem names the cause
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(ReadOnlyPlotTest, BuiltIndexTablesOpenNormally) {
    MakeGridTable();
    MakeStemTable();
    Open().reset();
    const std::string before = ReadFile(path);
    const int code = OpenInChild();
    if (code == 99) {
        GTEST_SKIP() << "cannot drop root rights here";
    }
    EXPECT_EQ(code, 1);  // Loaded, with cells
    EXPECT_EQ(ReadFile(path), before);
}

TEST(StemUptakeQuery, SelectsTheTreesCellsWithItsLabelQuoted) {
    EXPECT_EQ(StemUptakeQuery("T1"),
              "SELECT gridcell_id, x_coord, y_coord, `T1` FROM grid WHERE `T1` != 0");
    EXPECT_EQ(StemUptakeQuery("a`b"),
              "SELECT gridcell_id, x_coord, y_coord, `a``b` FROM grid WHERE `a``b` != 0");
}
