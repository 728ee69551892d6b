// How index tables come to be: built once inside one transaction, reused
// afterwards, and never left half-built or unregistered.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "PlotFixture.h"
#include "data/NeighborGridData.h"
#include "data/PlotFile.h"
#include "data/PlotGenerator.h"
#include "data/UptakeGridData.h"
#include "tools/IndexCheck.h"

namespace {

const char* const kUptakeTable = "_idx_grid_uptake_13365";
const char* const kNeighborTable = "_idx_grid_neighbor_13365";

class IndexBuildTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    void MakeSquareGrid(int side) {
        std::vector<PlotCell> cells;
        for (int j = 0; j < side; ++j) {
            for (int i = 0; i < side; ++i) {
                cells.push_back({double(i), double(j), {0.25 * ((i + j) % 3), i == j ? 1.5 : 0.0}});
            }
        }
        MakeGrid(path, cells, 2);
    }

    // Empty when the table holds exactly what the source defines.
    std::string Check(const char* table, bool uptake) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        const auto expected = indexcheck::ExpectedCells(db, "SELECT * FROM grid", uptake);
        std::string problem = indexcheck::CompareTable(db, table, expected);
        sqlite3_close(db);
        return problem;
    }
};

template <class Set>
std::unique_ptr<Set> LoadPlotWide(Database database,
                                  ProgressMonitor monitor = ProgressMonitor(0, 0)) {
    return std::make_unique<Set>(database, Query("SELECT * FROM grid"), "grid", "x_coord",
                                 "y_coord", monitor);
}

// Counts the rows a connection changes.
struct ChangeCounter {
    int changes = 0;
    static void Count(void* self, int, const char*) {
        ++static_cast<ChangeCounter*>(self)->changes;
    }
};

// What the progress record showed when the first index row was written.
struct ProgressWatch {
    ProgressMonitor monitor{0, 0};
    bool seen = false;
    std::string message;
    double total = 0;
    static void OnChange(void* self, int change, const char* table) {
        auto* watch = static_cast<ProgressWatch*>(self);
        if (!watch->seen && change == 6 && std::string(table).rfind("_idx_", 0) == 0) {
            watch->seen = true;
            watch->message = watch->monitor.GetMessage();
            watch->total = watch->monitor.GetTotal();
        }
    }
};

}  // namespace

TEST_F(IndexBuildTest, SecondOpeningReusesTheTablesWithoutWriting) {
    MakeSquareGrid(4);
    {
        Database first(path.c_str());
        LoadPlotWide<UptakeGridData>(first);
        LoadPlotWide<NeighborGridData>(first);
    }
    Database database(path.c_str());
    ChangeCounter counter;
    database.GetConnection()->SetListener(ChangeCounter::Count, &counter);
    SqlTrace trace(database);
    ProgressMonitor monitor(0, 0);
    auto uptake = LoadPlotWide<UptakeGridData>(database, monitor);
    EXPECT_EQ(monitor.GetMessage(), "Loading Uptake Data...");
    EXPECT_EQ(monitor.GetTotal(), 7);
    EXPECT_EQ(monitor.GetProgress(), 7);
    auto neighbor = LoadPlotWide<NeighborGridData>(database, monitor);
    EXPECT_EQ(monitor.GetMessage(), "Loading Neighbor Data...");
    EXPECT_EQ(monitor.GetProgress(), 7);

    EXPECT_EQ(counter.changes, 0);
    EXPECT_TRUE(trace.StartingWith("INSERT").empty());
    EXPECT_TRUE(trace.StartingWith("UPDATE").empty());
    EXPECT_TRUE(trace.StartingWith("CREATE").empty());
    EXPECT_TRUE(trace.StartingWith("BEGIN").empty());
    EXPECT_EQ(uptake->GetCellSize(), 1.0);
    EXPECT_EQ(neighbor->GetMaxValue(), 2.0);
}

TEST_F(IndexBuildTest, BuildReportsItsOwnProgressThenFinishesTheLoad) {
    MakeSquareGrid(3);
    Database database(path.c_str());
    ProgressWatch watch;
    database.GetConnection()->SetListener(ProgressWatch::OnChange, &watch);
    auto grid = LoadPlotWide<NeighborGridData>(database, watch.monitor);
    EXPECT_TRUE(watch.seen);
    EXPECT_EQ(watch.message, "Creating Neighbor Index. Please be patient...");
    EXPECT_EQ(watch.total, 9);
    EXPECT_EQ(watch.monitor.GetMessage(), "Loading Neighbor Data...");
    EXPECT_EQ(watch.monitor.GetTotal(), 7);
    EXPECT_EQ(watch.monitor.GetProgress(), 7);
}

TEST_F(IndexBuildTest, KilledBuildLeavesNothingAndTheNextOpeningBuildsAllOfIt) {
    MakeSquareGrid(8);
    Database(path.c_str());  // catalogue in place, as after any earlier opening
    fflush(nullptr);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // Dies in the middle of writing the rows, as a killed program would.
        Database database(path.c_str());
        static int rows = 0;
        database.GetConnection()->SetListener(
            [](void*, int change, const char* table) {
                if (change == 6 && std::string(table).rfind("_idx_", 0) == 0 && ++rows == 20) {
                    raise(SIGKILL);
                }
            },
            nullptr);
        LoadPlotWide<NeighborGridData>(database);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    // The rows written so far are only in the journal SQLite rolls back.
    EXPECT_TRUE(std::filesystem::exists(path + "-journal"));

    Database database(path.c_str());
    EXPECT_FALSE(database.IndexExists("grid", "neighbor_13365"));
    EXPECT_FALSE(database.HasTable(kNeighborTable));
    EXPECT_TRUE(QueryColumn(path, "SELECT * FROM _db_indexes").empty());

    auto grid = LoadPlotWide<NeighborGridData>(database);
    EXPECT_TRUE(grid->IsIndexReady());
    EXPECT_EQ(Check(kNeighborTable, false), "");
}

TEST_F(IndexBuildTest, UnregisteredLeftoverTableIsReplacedNotAppendedTo) {
    MakeSquareGrid(3);
    ExecSql(path,
            "CREATE TABLE _idx_grid_uptake_13365 (`x_coord` double, `y_coord` double, `count` "
            "double, `n` double, `e` double, `s` double, `w` double);"
            "INSERT INTO _idx_grid_uptake_13365 VALUES (9, 9, 9, 9, 9, 9, 9);");
    auto grid = LoadPlotWide<UptakeGridData>(Database(path.c_str()));
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM _idx_grid_uptake_13365"),
              std::vector<std::string>{"9"});
    EXPECT_EQ(Check(kUptakeTable, true), "");
    EXPECT_NE(grid->GetMaxValue(), 9.0);
}

TEST_F(IndexBuildTest, RegistrationWithoutItsTableIsBuiltAgain) {
    MakeSquareGrid(3);
    {
        Database database(path.c_str());
        LoadPlotWide<UptakeGridData>(database);
    }
    ExecSql(path, "DROP TABLE _idx_grid_uptake_13365;");
    auto grid = LoadPlotWide<UptakeGridData>(Database(path.c_str()));
    EXPECT_TRUE(grid->IsIndexReady());
    EXPECT_EQ(Check(kUptakeTable, true), "");
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM _db_indexes"), std::vector<std::string>{"1"});
}

TEST_F(IndexBuildTest, BuildThatCannotBeCommittedLeavesNoTableNorRegistration) {
    MakeSquareGrid(4);
    Database(path.c_str());
    // Another reader in the middle of a walk keeps SQLite from committing.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &reader), SQLITE_OK);
    sqlite3_stmt* walk = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM grid", -1, &walk, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(walk), SQLITE_ROW);

    Connection::SetLockWait(std::chrono::milliseconds(100));
    auto grid = LoadPlotWide<UptakeGridData>(Database(path.c_str()));
    Connection::SetLockWait(Connection::kDefaultLockWait);
    EXPECT_FALSE(grid->IsIndexReady());
    EXPECT_EQ(grid->GetBuildFailure().cause, FailureCause::Locked);
    EXPECT_STREQ(grid->GetTableName(), "");
    EXPECT_EQ(grid->GetCellSize(), 1.0);
    EXPECT_EQ(grid->GetMaxValue(), -100000.0);
    grid->First();
    EXPECT_FALSE(grid->IsValid());
    grid->Close();
    bool logged = false;
    for (const std::string& line : ReadLines("error.log")) {
        logged =
            logged || line.find(
                          "Could not save the index table for grid uptake_13365 "
                          "because the file is locked by another program") != std::string::npos;
    }
    EXPECT_TRUE(logged);

    sqlite3_finalize(walk);
    sqlite3_close(reader);
    EXPECT_TRUE(QueryColumn(path, "SELECT * FROM _db_indexes").empty());
    EXPECT_FALSE(SchemaHas(path, "table", kUptakeTable));

    auto again = LoadPlotWide<UptakeGridData>(Database(path.c_str()));
    EXPECT_TRUE(again->IsIndexReady());
    EXPECT_EQ(Check(kUptakeTable, true), "");
}

TEST_F(IndexBuildTest, GeneratedPlotsMatchTheDefinitionRowForRow) {
    for (double cell : {1.0, 0.5}) {
        SCOPED_TRACE(cell);
        std::filesystem::remove(path);
        PlotRequest request;
        request.width = 12;
        request.height = 9;
        request.cell = cell;
        request.trees = 7;
        std::string error;
        ASSERT_TRUE(WritePlot(path, request, error)) << error;
        {
            Database database(path.c_str());
            auto uptake = LoadPlotWide<UptakeGridData>(database);
            auto neighbor = LoadPlotWide<NeighborGridData>(database);
            EXPECT_EQ(uptake->GetCellSize(), cell);
            EXPECT_EQ(neighbor->GetCellSize(), cell);
        }
        EXPECT_EQ(Check(kUptakeTable, true), "");
        EXPECT_EQ(Check(kNeighborTable, false), "");
        // Some cells must take part in the neighbour pass for the check to mean anything.
        EXPECT_NE(QueryColumn(path, "SELECT count(*) FROM _idx_grid_uptake_13365 WHERE n != 0"),
                  std::vector<std::string>{"0"});
    }
}

// A first opening commits its index tables before their lookup indexes; the
// second commit, made after the first picture, keeps the record of what grid
// holds, so the file ends as a build with the indexes leaves it, and the next
// opening neither writes nor reads grid.
TEST_F(IndexBuildTest, LookupIndexesMadeAfterTheTablesLeaveTheFileAsOneBuild) {
    MakeSquareGrid(4);
    const std::string whole = dir.File("whole.db");
    std::filesystem::copy_file(path, whole);
    {
        Database database(whole.c_str());
        LoadPlotWide<UptakeGridData>(database);
        LoadPlotWide<NeighborGridData>(database);
    }
    {
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
        EXPECT_TRUE(plot.LacksLookupIndexes());
        EXPECT_TRUE(plot.FinishLookupIndexes());
        EXPECT_FALSE(plot.LacksLookupIndexes());
    }
    const char* schema = "SELECT name, sql FROM sqlite_master WHERE type = 'index' ORDER BY name";
    EXPECT_EQ(QueryRows(path, schema), QueryRows(whole, schema));

    Database database(path.c_str());
    SqlTrace trace(database);
    auto uptake = LoadPlotWide<UptakeGridData>(database);
    auto neighbor = LoadPlotWide<NeighborGridData>(database);
    EXPECT_TRUE(trace.StartingWith("BEGIN").empty());
    for (const std::string& statement : trace.Statements()) {
        // The pass over every value of grid, however it is run.
        EXPECT_EQ(statement.find("SELECT * FROM (SELECT * FROM grid) "), std::string::npos)
            << statement;
    }
    EXPECT_FALSE(uptake->LacksLookupIndexes());
}

// A first opening keeps in memory the rows it worked out rather than read
// them back, and draws from them before it writes them when asked: they must
// be what reading the written table gives (the levels read only when asked
// for), sums that "%f" does not write exactly and cells out of order included.
class RowsKeptTest : public IndexBuildTest, public testing::WithParamInterface<LookupIndexes> {};

TEST_P(RowsKeptTest, RowsKeptByTheBuildAreTheRowsTheTableGivesBack) {
    std::vector<PlotCell> cells;
    for (int k = 0; k < 20; ++k) {
        const int i = (k * 7) % 5;
        const int j = (k * 3) % 4;
        cells.push_back({0.5 * i, 0.5 * j, {k % 3 == 0 ? 1.0 / 3 : -0.1 * k, k % 4 ? 1e-7 : 0.0}});
    }
    MakeGrid(path, cells, 2);
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0), GetParam());
    EXPECT_EQ(plot.GetUptakeGrid()->IsTablePending(), GetParam() == LookupIndexes::TableLater);
    Database database = plot.GetDatabase();
    const ViewFilter all{ViewFilter::EdgesIncluded, -10, -10, 10, 10};
    for (IndexedGridData* set :
         std::vector<IndexedGridData*>{plot.GetUptakeGrid(), plot.GetNeighborGrid()}) {
        IndexCells* kept = const_cast<IndexCells*>(set->GetHeldCells());
        ASSERT_NE(kept, nullptr);
        const std::string table = set->GetTableName();
        const auto read = IndexCells::Load(database, table, "x_coord", "y_coord");
        ASSERT_NE(read, nullptr);
        ASSERT_TRUE(kept->HoldLevels(database, table));
        ASSERT_TRUE(read->HoldLevels(database, table));
        std::vector<const IndexCells::Cell*> a, b;
        kept->Select(all, false, a);
        read->Select(all, false, b);
        ASSERT_EQ(a.size(), 20u);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            const auto fields = [](const IndexCells& held, const IndexCells::Cell& c) {
                const IndexCells::Levels& l = held.LevelsOf(c);
                return std::make_tuple(c.x, c.y, c.count, l.n, l.e, l.s, l.w, c.positive,
                                       l.differs);
            };
            EXPECT_EQ(fields(*kept, *a[i]), fields(*read, *b[i])) << table << " cell " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WrittenBeforeOrAfterThePicture, RowsKeptTest,
                         testing::Values(LookupIndexes::Later, LookupIndexes::TableLater));
