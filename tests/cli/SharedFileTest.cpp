// Plot files that other programs use at the same time, or that a program
// left behind when it died: the export waits for a short lock, reports one
// that lasts, lets SQLite roll an unfinished change back, says when the disk
// is full, and in every case keeps the user's data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CliSupport.h"
#include "db/Database.h"
#include "render/RenderHelper.h"
#include "tools/IndexCheck.h"

namespace {

using namespace std::chrono_literals;

const int kSide = 12;

// Kills the process when SQLite syncs the main database file: the moment of
// a commit when the new pages are in the file and the journal holds the old ones.
sqlite3_vfs* realVfs = nullptr;
sqlite3_io_methods killingMethods;

int KillAtSync(sqlite3_file*, int) {
    raise(SIGKILL);
    return SQLITE_IOERR;
}

int OpenKillingMainFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags,
                        int* outFlags) {
    const int code = realVfs->xOpen(realVfs, name, file, flags, outFlags);
    if (code == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && file->pMethods) {
        killingMethods = *file->pMethods;
        killingMethods.xSync = KillAtSync;
        file->pMethods = &killingMethods;
    }
    return code;
}

void KillAtTheNextCommit() {
    static sqlite3_vfs vfs;
    realVfs = sqlite3_vfs_find(nullptr);
    vfs = *realVfs;
    vfs.zName = "kill-at-commit";
    vfs.xOpen = OpenKillingMainFile;
    sqlite3_vfs_register(&vfs, 1);
}

// Runs `work` in a child process that is expected to die by SIGKILL.
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
        MakeGridTable(path, {"T1", "T2"}, kSide, kSide,
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

    // A program dies in the middle of changing the user's tables, after
    // SQLite has already written some changed pages into the file.
    void KillAWriterMidChange() {
        ASSERT_TRUE(DiesKilled([this] {
            sqlite3* db = nullptr;
            sqlite3_open(path.c_str(), &db);
            sqlite3_exec(db,
                         "PRAGMA cache_size = 1; BEGIN; UPDATE grid SET T1 = T1 + 1000; "
                         "UPDATE stem SET dbh = 9;",
                         nullptr, nullptr, nullptr);
            raise(SIGKILL);
        }));
        ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
    }

    // The user's tables as before, the file sound, and every registered
    // index table complete: it holds exactly what its definition gives.
    void ExpectNothingLost() {
        EXPECT_EQ(UserTables(path), before);
        EXPECT_EQ(IntegrityOf(path), "ok");
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        for (const std::string& table : RegisteredIndexTables()) {
            const bool uptake = table.find("uptake") != std::string::npos;
            EXPECT_EQ(indexcheck::CompareTable(
                          db, table, indexcheck::ExpectedCells(db, "SELECT * FROM grid", uptake)),
                      "")
                << table;
        }
        sqlite3_close(db);
    }

    std::vector<std::string> RegisteredIndexTables() {
        if (!SchemaHasIndexRegistry()) {
            return {};
        }
        return QueryColumn(path, "SELECT index_table FROM _db_indexes");
    }

    bool SchemaHasIndexRegistry() {
        return !QueryColumn(path, "SELECT name FROM sqlite_master WHERE name = '_db_indexes'")
                    .empty();
    }

    bool CanMakeImmutable() { return system(("chattr +i " + path + " 2>/dev/null").c_str()) == 0; }
    void MakeWritable() { (void)system(("chattr -i " + path).c_str()); }
};

}  // namespace

TEST_F(SharedFileTest, ChangeLeftUnfinishedByAKilledProgramIsRolledBackAndDrawn) {
    KillAWriterMidChange();
    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_EQ(RegisteredIndexTables().size(), 2u);
    ExpectNothingLost();
}

TEST_F(SharedFileTest, UnfinishedChangeInAReadOnlyFileIsRefusedAndLeftAsItIs) {
    KillAWriterMidChange();
    if (!CanMakeImmutable()) {
        GTEST_SKIP() << "cannot make a file read-only here";
    }
    const std::string file = ReadFile(path);
    const std::string journal = ReadFile(path + "-journal");
    const ProgramRun run = ExportBlocks();
    MakeWritable();
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("a program stopped in the middle of changing it"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("-journal"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(path), file);
    EXPECT_EQ(ReadFile(path + "-journal"), journal);
    EXPECT_FALSE(std::filesystem::exists("out.png"));
}

TEST_F(SharedFileTest, KilledInsideTheCommitOfAnIndexBuildTheNextOpeningBuildsItAll) {
    Database(path.c_str());  // the catalogue is there, so the first commit is the build's
    const std::string catalogued = ReadFile(path);
    ASSERT_TRUE(DiesKilled([this] {
        KillAtTheNextCommit();
        RenderHelper helper(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    }));
    ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
    EXPECT_NE(ReadFile(path), catalogued);  // the commit had begun to write the file

    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(RegisteredIndexTables().size(), 2u);
    ExpectNothingLost();
}

TEST_F(SharedFileTest, ShortWriteByAnotherProgramIsWaitedFor) {
    LockHolder other(path, "BEGIN IMMEDIATE", 1s, "UPDATE stem SET dbh = dbh");
    ASSERT_TRUE(other.Holding());
    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_EQ(RegisteredIndexTables().size(), 2u);
    ExpectNothingLost();
}

TEST_F(SharedFileTest, LockHeldLongerThanTheWaitIsReportedAndNothingIsBuilt) {
    {
        // Another program writing: the file is read, nothing can be added.
        LockHolder writer(path, "BEGIN IMMEDIATE", 60s, "UPDATE stem SET dbh = 7");
        const ProgramRun run = ExportBlocks();
        EXPECT_EQ(run.exitCode, 3) << run.err;
        EXPECT_NE(run.err.find("the file is locked by another program"), std::string::npos)
            << run.err;
        EXPECT_EQ(run.err.find("cannot be written"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("without the layers uptake-blocks, count-blocks\n"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(RegisteredIndexTables().empty());
    }
    ExpectNothingLost();

    // Another program that keeps even readers out: the file is refused untouched.
    const std::string bytes = ReadFile(path);
    LockHolder exclusive(path, "BEGIN EXCLUSIVE", 60s, "UPDATE stem SET dbh = 7");
    const ProgramRun run = ExportBlocks();
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("cannot be opened because the file is locked by another program"),
              std::string::npos)
        << run.err;
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
    EXPECT_NE(run.err.find("Free some space"), std::string::npos) << run.err;
    EXPECT_TRUE(RegisteredIndexTables().empty());
    ExpectNothingLost();
    // With room again, the same file is drawn in full.
    EXPECT_EQ(ExportBlocks().exitCode, 0);
    ExpectNothingLost();
}
