// Plot files that other programs use at the same time, or that a program
// left behind when it died: the export waits for a short lock, reports one
// that lasts, lets SQLite roll an unfinished change back, names a full disk,
// and in every case keeps the user's data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CliSupport.h"
#include "data/PlotFile.h"
#include "db/Database.h"
#include "tools/IndexCheck.h"

namespace {

using namespace std::chrono_literals;

// A default VFS that kills the process when SQLite syncs the main database
// file (once armed): inside a commit, the new pages written, the journal
// holding the old.
sqlite3_vfs* realVfs = nullptr;
sqlite3_io_methods killingMethods;
int (*realSync)(sqlite3_file*, int) = nullptr;
bool killArmed = true;

int OpenKillingMainFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
    const int code = realVfs->xOpen(realVfs, name, file, flags, out);
    if (code == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && file->pMethods) {
        killingMethods = *file->pMethods;
        realSync = file->pMethods->xSync;
        killingMethods.xSync = [](sqlite3_file* synced, int how) {
            return killArmed ? raise(SIGKILL) : realSync(synced, how);
        };
        file->pMethods = &killingMethods;
    }
    return code;
}

// Makes the killing VFS the default one in this (child) process.
void UseKillingVfs() {
    static sqlite3_vfs vfs = *(realVfs = sqlite3_vfs_find(nullptr));
    vfs.zName = "kill-at-commit";
    vfs.xOpen = OpenKillingMainFile;
    sqlite3_vfs_register(&vfs, 1);
}

// Runs work in a child process; true when it died by SIGKILL.
template <class Work>
bool DiesKilled(Work work) {
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class SharedFileTest : public testing::Test {
  protected:
    TempDir dir;
    const std::string path = "plot.db";
    std::map<std::string, std::vector<std::string>> before;

    void SetUp() override {
        MakeGridTable(path, {"T1", "T2"}, 12, 12,
                      [](int tree, int x, int y) { return double((x + y + tree) % 4); });
        ExecSql(path,
                "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, Crown_d_m "
                "double); INSERT INTO stem VALUES ('T1', 3, 3, 0.4, 4), ('T2', 8, 8, 0.6, 5);");
        before = UserTables(path);
    }

    ProgramRun ExportBlocks(RunOptions options = {}) {
        return RunQuenvar({"--export", "out.png", "--size", "120x120", "--layers",
                           "uptake-blocks,count-blocks,stems-plain", path},
                          options);
    }

    // The user's tables as before, the file sound, and the index tables
    // registered: none, or exactly what their definition gives.
    void ExpectNothingLost(size_t registered) {
        EXPECT_EQ(UserTables(path), before);
        EXPECT_EQ(IntegrityOf(path), "ok");
        const std::vector<std::string> tables =
            QueryColumn(path, "SELECT index_table FROM _db_indexes");
        ASSERT_EQ(tables.size(), registered);
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        for (const std::string& table : tables) {
            const bool uptake = table.find("uptake") != std::string::npos;
            EXPECT_EQ(indexcheck::CompareTable(
                          db, table, indexcheck::ExpectedCells(db, "SELECT * FROM grid", uptake)),
                      "");
        }
        sqlite3_close(db);
    }
};

}  // namespace

TEST_F(SharedFileTest, ChangeLeftUnfinishedByAKilledProgramIsRolledBack) {
    // A program dies in the middle of changing the file, after SQLite has
    // already written changed pages into it.
    ASSERT_TRUE(DiesKilled([this] {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA cache_size = 1; BEGIN; UPDATE grid SET T1 = T1 + 1000; CREATE TABLE "
                     "results (x); INSERT INTO results SELECT randomblob(1000) FROM grid;",
                     nullptr, nullptr, nullptr);
        raise(SIGKILL);
    }));
    const std::string file = ReadFile(path);
    const std::string journal = ReadFile(path + "-journal");
    ASSERT_FALSE(journal.empty());

    // Read-only, it cannot be rolled back: refused, and left as it is.
    if (system("chattr +i plot.db 2>/dev/null") == 0) {
        const ProgramRun refused = ExportBlocks();
        (void)system("chattr -i plot.db");
        EXPECT_EQ(refused.exitCode, 2) << refused.err;
        EXPECT_NE(refused.err.find("a program stopped in the middle of changing it"),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(ReadFile(path), file);
        EXPECT_EQ(ReadFile(path + "-journal"), journal);
    }
    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    ExpectNothingLost(2);
}

TEST_F(SharedFileTest, KilledInsideTheCommitOfAnIndexBuildTheNextOpeningBuildsItAll) {
    Database(path.c_str());  // the catalogue is there, so the first commit is the build's
    const std::string catalogued = ReadFile(path);
    ASSERT_TRUE(DiesKilled([this] {
        UseKillingVfs();
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    }));
    ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
    EXPECT_NE(ReadFile(path), catalogued);  // the commit had begun to write the file

    EXPECT_EQ(ExportBlocks().exitCode, 0);
    ExpectNothingLost(2);
}

// A first opening commits its index tables, then their lookup indexes after
// the first picture: killed in between, it leaves tables the next opening
// uses, making the indexes, and draws as if nothing had happened.
TEST_F(SharedFileTest, KilledBeforeTheLookupIndexesTheNextOpeningMakesThem) {
    std::filesystem::copy_file(path, "whole.db");
    ASSERT_EQ(RunQuenvar({"--export", "whole.png", "--size", "120x120", "--layers",
                          "uptake-blocks,count-blocks,stems-plain", "whole.db"})
                  .exitCode,
              0);
    ASSERT_TRUE(DiesKilled([this] {
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
        if (plot.LacksLookupIndexes()) {
            raise(SIGKILL);
        }
    }));
    const std::string lookups = "SELECT name FROM sqlite_master WHERE name LIKE 'TB_IDX_%'";
    EXPECT_TRUE(QueryColumn(path, lookups).empty());
    ExpectNothingLost(2);

    EXPECT_EQ(ExportBlocks().exitCode, 0);
    EXPECT_EQ(ReadFile("out.png"), ReadFile("whole.png"));
    EXPECT_EQ(QueryColumn(path, lookups).size(), 8u);
    ExpectNothingLost(2);

    // Killed again inside the commit of the lookup indexes themselves.
    ASSERT_TRUE(DiesKilled([this] {
        ExecSql(path, "DROP INDEX TB_IDX_COUNT_UPTAKE_13365;");
        UseKillingVfs();
        killArmed = false;
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
        killArmed = true;
        plot.FinishLookupIndexes();
    }));
    ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
    EXPECT_EQ(ExportBlocks().exitCode, 0);
    EXPECT_EQ(ReadFile("out.png"), ReadFile("whole.png"));
    EXPECT_EQ(QueryColumn(path, lookups).size(), 8u);
    ExpectNothingLost(2);
}

// The export and the window draw a first opening's picture before its index
// tables are written: killed in between, nothing is written; killed inside
// the commit that writes them, SQLite rolls it back. Either way the next
// opening builds them all and draws the same picture.
TEST_F(SharedFileTest, KilledBeforeOrWhileTheTablesAreWrittenAfterThePicture) {
    Database(path.c_str());  // the catalogue is there, so the first commit is the build's
    std::filesystem::copy_file(path, "whole.db");
    ASSERT_EQ(RunQuenvar({"--export", "whole.png", "--size", "120x120", "--layers",
                          "uptake-blocks,count-blocks,stems-plain", "whole.db"})
                  .exitCode,
              0);
    const std::string untouched = ReadFile(path);
    ASSERT_TRUE(DiesKilled([this] {
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0),
                      LookupIndexes::TableLater);
        if (plot.GetUptakeGrid()->IsTablePending() && plot.GetNeighborGrid()->IsTablePending()) {
            raise(SIGKILL);
        }
    }));
    EXPECT_EQ(ReadFile(path), untouched);
    ExpectNothingLost(0);

    ASSERT_TRUE(DiesKilled([this] {
        UseKillingVfs();
        killArmed = false;
        PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0),
                      LookupIndexes::TableLater);
        killArmed = true;
        plot.FinishLookupIndexes();
    }));
    ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
    EXPECT_NE(ReadFile(path), untouched);  // the commit had begun to write the file
    EXPECT_EQ(ExportBlocks().exitCode, 0);
    EXPECT_EQ(ReadFile("out.png"), ReadFile("whole.png"));
    ExpectNothingLost(2);
    const char* const records =
        "SELECT quote(change_counter) || source_rows || column_name || column_values FROM "
        "_db_checked ORDER BY position";
    EXPECT_EQ(QueryColumn(path, records), QueryColumn("whole.db", records));
}

TEST_F(SharedFileTest, LocksOfAnotherProgramAreWaitedForAWhileThenReported) {
    // With the catalogue in place, as after any earlier opening, only the
    // builds of the index tables meet the lock, after they have read the file.
    Database(path.c_str());
    {
        LockHolder brief(path, "BEGIN IMMEDIATE", 1s, "UPDATE stem SET dbh = dbh");
        const ProgramRun run = ExportBlocks();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    ExpectNothingLost(2);

    // A writer that outlasts the wait: the file is read, nothing is added to it.
    ExecSql(path,
            "DROP TABLE _idx_grid_uptake_13365; DROP TABLE _idx_grid_neighbor_13365; DELETE FROM "
            "_db_indexes;");
    {
        LockHolder writer(path, "BEGIN IMMEDIATE", 60s, "UPDATE stem SET dbh = 7");
        const auto start = std::chrono::steady_clock::now();
        const ProgramRun run = ExportBlocks();
        // One wait for the whole opening, not one for each statement.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * Connection::kDefaultLockWait);
        EXPECT_EQ(run.exitCode, 3) << run.err;
        EXPECT_NE(run.err.find("because the file is locked by another program"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("without the layers uptake-blocks, count-blocks\n"),
                  std::string::npos)
            << run.err;
    }
    ExpectNothingLost(0);

    // One that keeps even readers out: the file is refused untouched.
    const std::string bytes = ReadFile(path);
    LockHolder exclusive(path, "BEGIN EXCLUSIVE", 60s, "UPDATE stem SET dbh = 7");
    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("cannot be opened because the file is locked"), std::string::npos);
    exclusive.Release();
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(SharedFileTest, FullDiskIsNamedAndTheFileStaysSound) {
    Database(path.c_str());  // the catalogue fits; the index tables will not
    RunOptions full;
    full.fileSizeLimit = long(std::filesystem::file_size(path)) + 1024;
    const ProgramRun run = ExportBlocks(full);
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("the disk or file system is full"), std::string::npos) << run.err;
    ExpectNothingLost(0);
    // Found only once the picture was drawn: it is drawn again without them.
    std::filesystem::copy_file(path, "stems.db");
    ASSERT_EQ(RunQuenvar({"--export", "stems.png", "--size", "120x120", "--layers", "stems-plain",
                          "stems.db"})
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile("out.png"), ReadFile("stems.png"));
    EXPECT_EQ(ExportBlocks().exitCode, 0);
    ExpectNothingLost(2);
}
