// Opening a plot file: which files are taken, what is read from them, and
// the questions the window asks about trees and stems.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "PlotFixture.h"
#include "data/PlotFile.h"

namespace {

bool LogHas(const std::string& file, const std::string& text) {
    for (const std::string& line : ReadLines(file)) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class PlotFileTest : public ::testing::Test {
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
    std::unique_ptr<PlotFile> Open(ProgressMonitor monitor = ProgressMonitor(0, 0)) {
        return std::make_unique<PlotFile>(wxString::FromUTF8(path.c_str()), monitor);
    }
};

}  // namespace

TEST_F(PlotFileTest, OpensGridAndStemsIntoOneExtent) {
    MakeGridTable();
    MakeStemTable();
    ProgressMonitor monitor(0, 0);
    auto plot = Open(monitor);
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_TRUE(plot->GetOpening().problem.empty());
    EXPECT_EQ(plot->GetFullExtent().xMin, -2.0);
    EXPECT_EQ(plot->GetFullExtent().xMax, 50.0);
    EXPECT_EQ(plot->GetFullExtent().yMin, 0.0);
    EXPECT_EQ(plot->GetFullExtent().yMax, 35.0);

    EXPECT_EQ(plot->GetTreeNames(), (std::vector<wxString>{"T1", "T2"}));
    EXPECT_EQ(plot->GetRootData()->GetTreeCount(), 2);
    EXPECT_EQ(plot->GetStemAttributeNames(), (std::vector<wxString>{"dbh", "Crown_d_m", "height"}));
    EXPECT_EQ(plot->GetStemData()->GetStemCount(), 3);
    ASSERT_NE(plot->GetUptakeGrid(), nullptr);
    ASSERT_NE(plot->GetNeighborGrid(), nullptr);
    EXPECT_EQ(plot->GetUptakeGrid()->GetMaxValue(), 2.5);
    EXPECT_EQ(plot->GetNeighborGrid()->GetMaxValue(), 2.0);
    EXPECT_EQ(plot->GetStemPoints()->GetPointCount(), 3);
    EXPECT_EQ(plot->GetStemPoints()->GetXMin(), -2.0);

    // The stem points come last and leave the message of the grid sets.
    EXPECT_EQ(monitor.GetMessage(), "Loading Neighbor Data...");
    EXPECT_EQ(monitor.GetTotal(), 5);
    EXPECT_EQ(monitor.GetProgress(), 5);
}

TEST_F(PlotFileTest, StemValuesTreatMinusOneAsMissing) {
    MakeGridTable();
    MakeStemTable();
    auto plot = Open();
    EXPECT_EQ(plot->GetStemValue("T1", "dbh"), static_cast<double>(0.3f));
    EXPECT_EQ(plot->GetStemValue("T2", "Crown_d_m"), 9.0);
    EXPECT_EQ(plot->GetStemValue("T1", "height"), 0.0);
    EXPECT_TRUE(LogHas("console.log", "(console) height not found! returning 0"));
    EXPECT_EQ(plot->GetStemValue("T2", "height"), -1.5);
    EXPECT_EQ(plot->GetStemValue("T9", "dbh"), 0.0);
    EXPECT_EQ(plot->GetStemValue("T2", "girth"), 0.0);
}

TEST_F(PlotFileTest, DeletingIndexTablesAfterReadingAStemDropsThem) {
    MakeGridTable();
    MakeStemTable();
    auto plot = Open();
    ASSERT_TRUE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    EXPECT_EQ(plot->GetStemValue("T1", "Crown_d_m"), 6.0);
    plot->GetDatabase().DeleteAllIndexTables();
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_neighbor_13365"));
    EXPECT_TRUE(QueryColumn(path, "SELECT * FROM _db_indexes").empty());
}

// A tree's set is made once for the open file, and made again (with its
// table) after the index tables were deleted.
TEST_F(PlotFileTest, TreeSetIsKeptUntilTheIndexTablesAreDeleted) {
    MakeGridTable();
    MakeStemTable();
    auto plot = Open();
    UptakeGridData* tree = plot->GetTreeGrid("T2");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(plot->GetTreeGrid("T2"), tree);
    EXPECT_EQ(tree->GetMaxValue(), 2.0);
    const std::string table = tree->GetTableName();
    EXPECT_TRUE(SchemaHas(path, "table", table));
    EXPECT_EQ(plot->GetTreeGrid("T9"), nullptr);  // no such tree

    plot->DeleteIndexTables();
    EXPECT_FALSE(SchemaHas(path, "table", table));
    EXPECT_FALSE(SchemaHas(path, "table", "_idx_grid_uptake_13365"));
    ASSERT_NE(plot->GetTreeGrid("T2"), nullptr);
    EXPECT_TRUE(SchemaHas(path, "table", table));
}

// Rows a damaged or crafted registry holds besides Quenvar's own.
TEST_F(PlotFileTest, DeletingIndexTablesLeavesAndNamesRowsThatNameNoIndexTable) {
    MakeGridTable();
    MakeStemTable();
    auto plot = Open();
    ExecSql(path,
            "INSERT INTO _db_indexes VALUES ('grid', 'uptake_1', 'grid'), "
            "('grid', 'neighbor_1', 'nothing')");
    const IndexDeletion deletion = plot->DeleteIndexTables();
    ASSERT_EQ(deletion.foreignRows.size(), 2u);
    EXPECT_TRUE(deletion.foreignRows[0].tableExists);
    EXPECT_FALSE(deletion.foreignRows[1].tableExists);
    EXPECT_TRUE(deletion.undropped.empty());
    EXPECT_EQ(deletion.failure.cause, FailureCause::None);
    EXPECT_EQ(
        QueryColumn(path, "SELECT name FROM sqlite_master WHERE substr(name, 1, 5) = '_idx_'"),
        std::vector<std::string>{});
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM grid"), std::vector<std::string>{"4"});
    EXPECT_EQ(QueryColumn(path, "SELECT index_table FROM _db_indexes"),
              (std::vector<std::string>{"grid", "nothing"}));
    EXPECT_TRUE(LogHas("console.log",
                       "(console) Delete Index Tables left the registry row (grid, uptake_1) "
                       "alone: it names the input table grid, not an index table"));
    EXPECT_TRUE(LogHas("console.log",
                       "(console) Delete Index Tables left the registry row (grid, neighbor_1) "
                       "alone: it names the table nothing, which does not exist"));
    EXPECT_EQ(IndexDeletionMessage(deletion, "plot.db"),
              "2 rows of the list of index tables of \"plot.db\" (the table _db_indexes) were "
              "left as they are, because Quenvar drops only index tables, whose names begin "
              "with _idx_:\n"
              "    grid, uptake_1: names the input table grid\n"
              "    grid, neighbor_1: names the table nothing, which does not exist\n"
              "Every index table was deleted; reload the plot to build them anew.\n"
              "If these rows are not wanted, delete them from _db_indexes with the sqlite3 "
              "program.");
}

// Only a real lock is blamed on another program; another cause is named as itself.
TEST_F(PlotFileTest, DeletingIndexTablesUnderAnotherProgramsLockSaysSo) {
    MakeGridTable();
    MakeStemTable();
    Connection::SetLockWait(std::chrono::milliseconds(100));
    auto plot = Open();
    IndexDeletion deletion;
    {
        LockHolder writer(path, "BEGIN IMMEDIATE", std::chrono::minutes(1));
        deletion = plot->DeleteIndexTables();
    }
    Connection::SetLockWait(Connection::kDefaultLockWait);
    EXPECT_EQ(deletion.failure.cause, FailureCause::Locked);
    EXPECT_EQ(deletion.undropped.size(), 2u);
    EXPECT_TRUE(deletion.foreignRows.empty());
    const wxString message = IndexDeletionMessage(deletion, "plot.db");
    EXPECT_TRUE(
        message.StartsWith("Some index tables of \"plot.db\" could not be deleted "
                           "because the file is locked by another program"))
        << message;
    EXPECT_NE(message.Find("_idx_grid_uptake_13365"), wxNOT_FOUND) << message;

    deletion.failure.cause = FailureCause::ReadOnly;
    EXPECT_NE(IndexDeletionMessage(deletion, "plot.db").Find("read-only"), wxNOT_FOUND);
    EXPECT_EQ(IndexDeletionMessage(deletion, "plot.db").Find("locked"), wxNOT_FOUND);
    // Once the lock is gone, everything goes.
    deletion = plot->DeleteIndexTables();
    EXPECT_TRUE(deletion.Complete());
    EXPECT_TRUE(IndexDeletionMessage(deletion, "plot.db").empty());
}

TEST_F(PlotFileTest, FileWithoutStemOpensWithTheGridAlone) {
    MakeGridTable();
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_TRUE(LogHas("error.log", "(error) No stem data in database file."));
    EXPECT_EQ(plot->GetFullExtent().xMin, 0.0);
    EXPECT_EQ(plot->GetFullExtent().xMax, 50.0);
    EXPECT_EQ(plot->GetFullExtent().yMax, 30.0);
    EXPECT_FALSE(plot->HasStemData());
    EXPECT_EQ(plot->GetStemPoints(), nullptr);
    EXPECT_TRUE(plot->GetStemAttributeNames().empty());
    EXPECT_EQ(plot->GetStemValue("T1", "dbh"), 0.0);
    EXPECT_EQ(plot->GetTreeNames().size(), 2u);
}

TEST_F(PlotFileTest, FileWithoutGridOpensWithTheStemsAlone) {
    MakeStemTable();
    auto plot = Open();
    EXPECT_EQ(plot->GetOpening().status, PlotOpening::Status::Accepted);
    EXPECT_TRUE(LogHas("error.log", "(error) No root data in database file."));
    EXPECT_EQ(plot->GetFullExtent().xMin, -2.0);
    EXPECT_EQ(plot->GetFullExtent().xMax, 48.0);
    EXPECT_EQ(plot->GetFullExtent().yMin, 5.0);
    EXPECT_EQ(plot->GetFullExtent().yMax, 35.0);
    EXPECT_EQ(plot->GetUptakeGrid(), nullptr);
    EXPECT_EQ(plot->GetNeighborGrid(), nullptr);
    EXPECT_TRUE(plot->GetTreeNames().empty());
    EXPECT_EQ(plot->GetStemValue("T2", "dbh"), 0.5);
    EXPECT_TRUE(
        QueryColumn(path, "SELECT name FROM sqlite_master WHERE name LIKE '_idx_%'").empty());
}

TEST_F(PlotFileTest, FilesWithoutPlotDataAreRefusedUntouched) {
    ExecSql(
        path,
        "CREATE TABLE accounts (id integer, owner text); INSERT INTO accounts VALUES (1, 'me');");
    WriteFile(dir.File("notes.db"), "These are my notes, not a database.\n");
    WriteFile(dir.File("image.db"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const std::string& file : {path, dir.File("notes.db"), dir.File("image.db")}) {
        SCOPED_TRACE(file);
        const std::string before = ReadFile(file);
        PlotFile plot(wxString::FromUTF8(file.c_str()), ProgressMonitor(0, 0));
        EXPECT_EQ(plot.GetOpening().status, PlotOpening::Status::Refused);
        EXPECT_NE(plot.GetOpening().problem.Find(wxString::FromUTF8(file.c_str())), wxNOT_FOUND);
        EXPECT_EQ(plot.GetDatabase().GetConnection(), nullptr);
        EXPECT_EQ(plot.GetUptakeGrid(), nullptr);
        EXPECT_EQ(plot.GetStemPoints(), nullptr);
        EXPECT_TRUE(plot.GetTreeNames().empty());
        EXPECT_EQ(plot.GetStemValue("T1", "dbh"), 0.0);
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_FALSE(std::filesystem::exists(file + "-journal"));
    }
    EXPECT_TRUE(LogHas("error.log", "(error) No root data in database file."));
    EXPECT_TRUE(LogHas("error.log", "(error) No stem data in database file."));

    const std::string missing = dir.File("missing.db");
    PlotFile plot(wxString::FromUTF8(missing.c_str()), ProgressMonitor(0, 0));
    EXPECT_EQ(plot.GetOpening().status, PlotOpening::Status::Refused);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(PlotFileTest, DestroyingThePlotFileClosesIt) {
    MakeGridTable();
    MakeStemTable();
    auto plot = Open();
    std::weak_ptr<Connection> connection = plot->GetDatabase().GetConnection();
    ASSERT_FALSE(connection.expired());
    plot.reset();
    EXPECT_TRUE(connection.expired());
}

// A file nobody may write: opened in a child process that has given up the
// rights that would let it write anyway (tests may run as root).
class ReadOnlyPlotTest : public PlotFileTest {
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
                PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
                code = static_cast<int>(plot.GetOpening().status) * 10;
                if (plot.GetOpening().status == PlotOpening::Status::Partial &&
                    plot.GetOpening().problem.Find("cannot be written") == wxNOT_FOUND) {
                    code = 98;
                }
                if (UptakeGridData* uptake = plot.GetUptakeGrid()) {
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
    EXPECT_EQ(code, 20);  // Partial, no cells, the problem names the cause
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
    EXPECT_EQ(code, 1);  // Accepted, with cells
    EXPECT_EQ(ReadFile(path), before);
}

TEST(StemUptakeQuery, SelectsTheTreesCellsWithItsLabelQuoted) {
    EXPECT_EQ(StemUptakeQuery("T1"),
              "SELECT gridcell_id, x_coord, y_coord, `T1` FROM grid WHERE `T1` != 0");
    EXPECT_EQ(StemUptakeQuery("a`b"),
              "SELECT gridcell_id, x_coord, y_coord, `a``b` FROM grid WHERE `a``b` != 0");
}
