#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "LogMessages.h"
#include "TestSupport.h"
#include "db/Database.h"

namespace {

using Strings = std::vector<std::string>;

class TransactionTest : public testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    void SetUp() override { ExecSql(path, "CREATE TABLE grid (a INTEGER);"); }

    Strings Count(const std::string& table) {
        return QueryColumn(path, "SELECT count(*) FROM " + table);
    }
};

}  // namespace

TEST_F(TransactionTest, FailingStatementDoesNotBreakTheBatch) {
    Database db(path.c_str());
    ASSERT_TRUE(db.Begin());
    db.RunQuery("CREATE TABLE built (a INTEGER)");
    db.RunQuery("INSERT INTO built VALUES (1)");
    EXPECT_EQ(db.RunQuery("INSERT INTO nowhere VALUES (2)").Status(), ResultStatus::Failed);
    EXPECT_EQ(db.RunQueries("INSERT INTO built VALUES (3); INSERT INTO nowhere VALUES (4);"), 1);
    db.RunQuery("INSERT INTO built VALUES (5)");
    EXPECT_TRUE(db.Commit());
    EXPECT_EQ(QueryColumn(path, "SELECT a FROM built ORDER BY a"), (Strings{"1", "3", "5"}));
    EXPECT_TRUE(Logged("error.log", "no such table: nowhere"));
}

TEST_F(TransactionTest, RollbackLeavesNothing) {
    Database db(path.c_str());
    ASSERT_TRUE(db.Begin());
    db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
    db.Rollback();
    EXPECT_FALSE(db.IndexExists("grid", "neighbor_1"));
    EXPECT_FALSE(db.HasTable("_idx_grid_neighbor_1"));
}

TEST_F(TransactionTest, UncommittedBatchIsGoneWhenTheConnectionCloses) {
    {
        Database db(path.c_str());
        ASSERT_TRUE(db.Begin());
        db.RunQuery("INSERT INTO grid VALUES (1)");
    }
    EXPECT_EQ(Count("grid"), Strings{"0"});
}

TEST_F(TransactionTest, ReadOnlyFileCannotCommit) {
    { Database db(path.c_str()); }
    const std::string before = ReadFile(path);
    Database db(std::make_shared<Connection>(path.c_str(), Connection::ReadOnly));
    ASSERT_TRUE(db.Begin());
    db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
    EXPECT_FALSE(db.Commit());
    EXPECT_TRUE(Logged("error.log", "attempt to write a readonly database"));
    EXPECT_FALSE(db.IndexExists("grid", "neighbor_1"));
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    // The connection is usable afterwards.
    EXPECT_EQ(db.RunQuery("SELECT * FROM grid").Status(), ResultStatus::Empty);
}

TEST_F(TransactionTest, FullDiskLosesTheWholeBatch) {
    Database db(path.c_str());
    ASSERT_TRUE(db.Begin());
    db.RunQuery("CREATE TABLE built (a TEXT)");
    db.RunQuery("INSERT INTO built VALUES ('kept before the failure')");
    // A tiny page limit stands in for a full disk.
    db.RunQuery("PRAGMA max_page_count = 8");
    for (int i = 0; i < 50; ++i) {
        db.RunQuery(Query("INSERT INTO built VALUES (printf('%%.2000c', 'x'))"));
    }
    EXPECT_FALSE(db.Commit());
    EXPECT_EQ(db.GetBatchFailure().cause, FailureCause::Full);
    // The inserts after the failure are refused, with one line for all of them.
    const auto log = LogMessages("error.log");
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find("remaining statements are not run") !=
                                       std::string::npos;
                            }),
              1);
    db.RunQuery("PRAGMA max_page_count = 1000000");
    EXPECT_FALSE(db.HasTable("built"));
    EXPECT_TRUE(Logged("error.log", "database or disk is full"));
    // A new batch works again.
    ASSERT_TRUE(db.Begin());
    db.RunQuery("INSERT INTO grid VALUES (1)");
    EXPECT_TRUE(db.Commit());
    EXPECT_EQ(Count("grid"), Strings{"1"});
}

// One wait spent in vain on another program's write lock must not make the
// connection give up on reads: that writer keeps readers out only while it commits.
TEST_F(TransactionTest, AfterALockOutlastedTheWaitChangesTryOnceAndReadsStillWait) {
    using namespace std::chrono;
    ExecSql(path, "INSERT INTO grid VALUES (1);");
    Connection::SetLockWait(1s);
    Database db(path.c_str());
    {
        LockHolder writer(path, "BEGIN IMMEDIATE", minutes(1));
        EXPECT_FALSE(db.Begin());
        EXPECT_EQ(db.GetBatchFailure().cause, FailureCause::Locked);
        const auto start = steady_clock::now();
        EXPECT_EQ(db.RunQuery("CREATE TABLE built (a INTEGER)").Status(), ResultStatus::Failed);
        EXPECT_LT(steady_clock::now() - start, 500ms);
    }
    {
        LockHolder committing(path, "BEGIN EXCLUSIVE", 200ms);
        EXPECT_EQ(db.RunQuery("SELECT a FROM grid").Status(), ResultStatus::HasRows);
    }
    // The lock gone, changes wait again.
    ASSERT_TRUE(db.Begin());
    db.RunQuery("CREATE TABLE built (a INTEGER)");
    EXPECT_TRUE(db.Commit());
    Connection::SetLockWait(Connection::kDefaultLockWait);
}
