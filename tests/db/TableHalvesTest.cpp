// A table walked in two halves at once gives each row once, in rowid order,
// and a table that cannot be split safely is walked whole.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <mutex>

#include "TestSupport.h"
#include "db/Statement.h"
#include "db/TableHalves.h"

namespace {

struct Walked {
    std::vector<RowsPart> parts;
    std::vector<long long> rows[2];
};

// The rows of the table's column v, as each part reads them.
Walked Walk(const char* table, long long fewestRows) {
    Database database = Database::OpenForReading("t.db");
    Walked walked;
    std::mutex guard;
    const bool read =
        WalkInHalves(database, table, fewestRows, [&](Database own, const RowsPart& part) {
            std::vector<long long> values;
            const std::string where = part.where.empty() ? "" : " WHERE " + part.where;
            Statement rows(own, ("SELECT v FROM " + std::string(table) + where).c_str());
            while (rows.Step()) {
                values.push_back(sqlite3_column_int64(rows.Handle(), 0));
            }
            std::lock_guard<std::mutex> lock(guard);
            walked.parts.push_back(part);
            walked.rows[part.half] = values;
            return rows.Finished();
        });
    EXPECT_TRUE(read);
    return walked;
}

std::vector<long long> Both(const Walked& walked) {
    std::vector<long long> all = walked.rows[0];
    all.insert(all.end(), walked.rows[1].begin(), walked.rows[1].end());
    return all;
}

}  // namespace

TEST(TableHalves, HalvesGiveEveryRowOnceInOrderAndSmallOrWalTablesGoWhole) {
    TempDir dir;
    ExecSql("t.db",
            "CREATE TABLE t (v);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1001)"
            " INSERT INTO t SELECT i FROM n;"
            // A column that takes the rowid's own name: the halves go by another.
            "CREATE TABLE r (rowid, v);"
            "INSERT INTO r SELECT 5, v FROM t;");
    std::vector<long long> expected(1001);
    for (size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<long long>(i + 1);
    }
    for (const char* table : {"t", "r"}) {
        const Walked halves = Walk(table, 100);
        ASSERT_EQ(halves.parts.size(), 2u) << table;
        EXPECT_FALSE(halves.rows[0].empty());
        EXPECT_EQ(Both(halves), expected) << table;
    }
    EXPECT_EQ(Walk("t", 2000).parts.size(), 1u);

    ExecSql("t.db", "PRAGMA journal_mode = WAL;");
    const Walked whole = Walk("t", 100);
    ASSERT_EQ(whole.parts.size(), 1u);
    EXPECT_TRUE(whole.parts[0].where.empty());
    EXPECT_EQ(whole.rows[0], expected);
}
