#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "LogMessages.h"
#include "TestSupport.h"
#include "db/Database.h"

namespace {

// A fresh database with a small table of mixed values, in its own folder.
class DatabaseTest : public testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    void SetUp() override {
        ExecSql(path,
                "CREATE TABLE t (id INTEGER, label TEXT, value REAL);"
                "INSERT INTO t VALUES (1, 'one', 0.1), (2, 'two', -2.7), (3, '12abc', 2.5);");
        // The catalogue is made here, so each test sees only its own log lines.
        { Database db(path.c_str()); }
        std::filesystem::remove("error.log");
    }

    std::vector<std::string> Errors() { return LogMessages("error.log"); }
};

}  // namespace

TEST_F(DatabaseTest, SelectWithRowsCountsAndWalksThem) {
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT * FROM t ORDER BY id");
    EXPECT_EQ(result.Status(), ResultStatus::HasRows);
    EXPECT_EQ(result.RowCount(), 3);
    EXPECT_EQ(result.ColumnCount(), 3);

    std::vector<int> ids;
    while (result.HasRow()) {
        ids.push_back(result.NextRow().GetInt("id"));
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(result.NextRow().ColumnCount(), 0u);

    result.Rewind();
    ASSERT_TRUE(result.HasRow());
    EXPECT_EQ(result.NextRow().GetInt("id"), 1);
    result.Close();
    EXPECT_FALSE(result.HasRow());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(DatabaseTest, SelectWithoutRowsIsEmpty) {
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT * FROM t WHERE id > 10");
    EXPECT_EQ(result.Status(), ResultStatus::Empty);
    EXPECT_EQ(result.RowCount(), 0);
    EXPECT_EQ(result.ColumnCount(), 0);
    EXPECT_FALSE(result.HasRow());
    EXPECT_EQ(Result().Status(), ResultStatus::Unset);
}

TEST_F(DatabaseTest, CreateRunsOnceAndFailsTheSecondTime) {
    Database db(path.c_str());
    EXPECT_EQ(db.RunQuery("CREATE TABLE u (a)").Status(), ResultStatus::Empty);
    EXPECT_EQ(db.RunQuery("CREATE TABLE u (a)").Status(), ResultStatus::Failed);
    EXPECT_EQ(Errors(), (std::vector<std::string>{
                            "Problem compiling SQL statement: CREATE TABLE u (a) (1: table u "
                            "already exists)"}));
}

TEST_F(DatabaseTest, MissingTableFailsWithACompileLine) {
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT * FROM nowhere");
    EXPECT_EQ(result.Status(), ResultStatus::Failed);
    EXPECT_EQ(result.RowCount(), 0);
    EXPECT_FALSE(result.HasRow());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Problem compiling SQL statement: SELECT * "
                                                  "FROM nowhere (1: no such table: nowhere)"}));
}

TEST_F(DatabaseTest, StepFailureLogsTheRunLine) {
    ExecSql(path, "CREATE TABLE u (a UNIQUE); INSERT INTO u VALUES (1);");
    Database db(path.c_str());
    EXPECT_EQ(db.RunQuery("INSERT INTO u VALUES (1)").Status(), ResultStatus::Failed);
    EXPECT_EQ(
        Errors(),
        (std::vector<std::string>{"Error running SQL query. (19: UNIQUE constraint failed: u.a)"}));
}

TEST_F(DatabaseTest, TrailingSemicolonHidesTheRows) {
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT * FROM t;");
    EXPECT_EQ(result.Status(), ResultStatus::Empty);
    EXPECT_EQ(result.RowCount(), 0);
    EXPECT_FALSE(result.HasRow());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(DatabaseTest, OnlyTheFirstStatementRuns) {
    Database db(path.c_str());
    db.RunQuery("DELETE FROM t WHERE id = 1; DELETE FROM t");
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM t"), (std::vector<std::string>{"2"}));
}

TEST_F(DatabaseTest, RowAccessorsByNameAndIndex) {
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT id, label, value FROM t ORDER BY id");
    Row first = result.NextRow();
    Row second = result.NextRow();
    Row third = result.NextRow();

    EXPECT_EQ(first.ColumnCount(), 3u);
    EXPECT_STREQ(first.GetString("id"), "1");
    EXPECT_STREQ(first.GetString(1), "one");
    EXPECT_NEAR(first.GetDouble("value"), 0.100000001490116, 1e-15);
    EXPECT_EQ(first.GetDouble("value"), static_cast<double>(0.1f));
    EXPECT_STREQ(first.GetString("value"), "0.1");

    EXPECT_EQ(second.GetInt("value"), -2);
    EXPECT_EQ(second.GetInt(2), -2);
    EXPECT_DOUBLE_EQ(second.GetDouble(0), 2.0);

    // A text that is not a number ("12abc") reads as none, not as its first digits.
    EXPECT_EQ(third.GetInt("label"), 0);
    EXPECT_DOUBLE_EQ(third.GetDouble("label"), 0.0);
    EXPECT_STREQ(third.GetString("value"), "2.5");

    // Missing names and indexes read as nothing, and log nothing.
    EXPECT_STREQ(first.GetString("nope"), "");
    EXPECT_EQ(first.GetInt("nope"), 0);
    EXPECT_EQ(first.GetDouble("nope"), 0.0);
    EXPECT_STREQ(first.GetString(3), "");
    EXPECT_EQ(first.GetInt(3), 0);
    EXPECT_EQ(first.GetDouble(3), 0.0);
    EXPECT_EQ(Row().GetInt(0), 0);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(DatabaseTest, RowOutlivesItsResult) {
    Database db(path.c_str());
    Row row;
    {
        Result result = db.RunQuery("SELECT label FROM t WHERE id = 2");
        row = result.NextRow();
    }
    Row copy = row;
    EXPECT_STREQ(copy.GetString("label"), "two");
}

TEST_F(DatabaseTest, LaterColumnOfTheSameNameWins) {
    ExecSql(path, "CREATE TABLE u (id INTEGER); INSERT INTO u VALUES (7);");
    Database db(path.c_str());
    Row row = db.RunQuery("SELECT t.id, u.id FROM t, u WHERE t.id = 1").NextRow();
    EXPECT_EQ(row.ColumnCount(), 2u);
    EXPECT_EQ(row.GetInt("id"), 7);
    EXPECT_EQ(row.GetInt(0), 7);
}

TEST_F(DatabaseTest, ExpressionColumnsAreNamedByTheirAlias) {
    Database db(path.c_str());
    Row row = db.RunQuery("SELECT max(id) AS top FROM t").NextRow();
    EXPECT_EQ(row.GetInt("top"), 3);
}

// Column types come from the first row and hold for every later one.
class ColumnTypeTest : public DatabaseTest {};

TEST_F(ColumnTypeTest, NullFirstReadsLaterRealsAsText) {
    ExecSql(path, "CREATE TABLE m (a); INSERT INTO m VALUES (NULL), (2.5);");
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT a FROM m ORDER BY rowid");
    Row first = result.NextRow();
    Row second = result.NextRow();
    EXPECT_STREQ(first.GetString("a"), "");
    EXPECT_DOUBLE_EQ(second.GetDouble("a"), 2.5);
    EXPECT_STREQ(second.GetString("a"), "2.5");
}

TEST_F(ColumnTypeTest, IntegerFirstTruncatesLaterReals) {
    ExecSql(path, "CREATE TABLE m (a); INSERT INTO m VALUES (1), (2.7), (-3.9);");
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT a FROM m ORDER BY rowid");
    result.NextRow();
    Row second = result.NextRow();
    Row third = result.NextRow();
    EXPECT_EQ(second.GetDouble("a"), 2.0);
    EXPECT_STREQ(second.GetString("a"), "2");
    EXPECT_EQ(third.GetInt("a"), -3);
}

TEST_F(ColumnTypeTest, RealsCarrySinglePrecision) {
    ExecSql(path, "CREATE TABLE m (a REAL); INSERT INTO m VALUES (123456.789), (1e300);");
    Database db(path.c_str());
    Result result = db.RunQuery("SELECT a FROM m ORDER BY rowid");
    Row first = result.NextRow();
    EXPECT_EQ(first.GetDouble("a"), static_cast<double>(123456.789f));
    EXPECT_STREQ(first.GetString("a"), "123456.79");
    Row huge = result.NextRow();
    EXPECT_TRUE(std::isinf(huge.GetDouble("a")));
    EXPECT_EQ(huge.GetInt("a"), 2147483647);
}

TEST_F(DatabaseTest, RunQueriesCountsFailures) {
    ExecSql(path, "CREATE TABLE a (x); CREATE TABLE b (x); CREATE TABLE c (x);");
    Database db(path.c_str());
    EXPECT_EQ(db.RunQueries("DROP TABLE a;DROP TABLE b;"), 0);
    EXPECT_TRUE(LogMessages("console.log").empty());

    EXPECT_EQ(db.RunQueries("DROP TABLE a;DROP TABLE c;"), 1);
    EXPECT_EQ(db.RunQueries(""), 1);
    EXPECT_EQ(db.RunQueries("DROP TABLE nothing; "), 2);
    EXPECT_EQ(LogMessages("console.log"),
              (std::vector<std::string>{"RunQueries: 1 of 2 queries failed",
                                        "RunQueries: 1 of 1 queries failed",
                                        "RunQueries: 2 of 2 queries failed"}));
    EXPECT_TRUE(
        QueryColumn(path, "SELECT name FROM sqlite_master WHERE name IN ('a','b','c')").empty());
}

TEST_F(DatabaseTest, OpeningFailureIsLoggedWithItsEmptyLine) {
    Database db(dir.File("missing/folder/x.db").c_str());
    EXPECT_EQ(db.GetState(), Connection::OpeningFailed);
    std::vector<std::string> errors = Errors();
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors[0], "Error opening database.");
    EXPECT_EQ(errors[1], "");
    EXPECT_EQ(db.RunQuery("SELECT * FROM t").Status(), ResultStatus::Failed);
}

namespace {

// How many of this process's open files are the given file.
int OpenHandlesOn(const std::string& file) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored) == file) {
            ++count;
        }
    }
    return count;
}

}  // namespace

TEST_F(DatabaseTest, LastCopyClosesTheFile) {
    {
        Database db(path.c_str());
        Database copy = db;
        db = Database(std::shared_ptr<Connection>());
        EXPECT_EQ(copy.RunQuery("SELECT * FROM t").RowCount(), 3);
        EXPECT_EQ(OpenHandlesOn(path), 1);
    }
    EXPECT_EQ(OpenHandlesOn(path), 0);
}

TEST_F(DatabaseTest, ResultOutlivesItsDatabase) {
    Result result;
    {
        Database db(path.c_str());
        result = db.RunQuery("SELECT id FROM t ORDER BY id");
    }
    int sum = 0;
    while (result.HasRow()) {
        sum += result.NextRow().GetInt("id");
    }
    EXPECT_EQ(sum, 6);
    result = Result();
    EXPECT_EQ(OpenHandlesOn(path), 0);
}

TEST_F(DatabaseTest, ClosedHandleFailsEverythingQuietly) {
    Database db{std::shared_ptr<Connection>()};
    EXPECT_EQ(db.RunQuery("SELECT * FROM t").Status(), ResultStatus::Failed);
    EXPECT_EQ(db.RunQueries("DROP TABLE a; DROP TABLE 'b;c'; -- ;\n"), 3);
    EXPECT_EQ(db.RunQueries(""), 1);
    EXPECT_FALSE(db.TableExists("t"));
    EXPECT_FALSE(db.HasTable("t"));
    EXPECT_EQ(db.GetVersion(), 0.0);
    db.CreateIndexTable("t", "n", Query("x double"));
    EXPECT_EQ(db.IndexTableName("t", "n"), "");
    db.DeleteAllIndexTables();
    EXPECT_FALSE(db.Begin());
    EXPECT_FALSE(db.Commit());
    db.Rollback();
    EXPECT_EQ(db.GetPath(), "");
    EXPECT_TRUE(Errors().empty());
}

TEST(DefaultDatabaseTest, OpensANewTemporaryFileWithTheCatalogue) {
    TempDir dir;
    std::string file;
    {
        Database db;
        file = db.GetPath();
        EXPECT_EQ(db.GetVersion(), static_cast<double>(0.1f));
    }
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(file.find(std::filesystem::temp_directory_path().string()), std::string::npos);
    std::filesystem::remove(file);
}

TEST(RowTest, TypeThreeReadsAsTextAndUnknownTypesAsEmpty) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT 12.5, 'x7', 42", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    Row row = Row::FromStatement(statement, {{"a", 3}, {"b", 9}, {"c", CellInteger}});
    sqlite3_finalize(statement);
    sqlite3_close(db);
    EXPECT_STREQ(row.GetString("a"), "12.5");
    EXPECT_EQ(row.GetInt("a"), 12);
    EXPECT_STREQ(row.GetString("b"), "");
    EXPECT_STREQ(row.GetString(2), "42");
}

// What a window asks to learn whether the file changed on disk since a moment.
TEST_F(DatabaseTest, DataVersionMovesOnlyWhenAnotherProgramCommits) {
    Database db(path.c_str());
    const long long opened = db.GetDataVersion();
    db.RunQuery("UPDATE t SET value = 7 WHERE id = 1");
    EXPECT_EQ(db.GetDataVersion(), opened);
    ExecSql(path, "UPDATE t SET value = 8 WHERE id = 1");
    EXPECT_NE(db.GetDataVersion(), opened);
}
