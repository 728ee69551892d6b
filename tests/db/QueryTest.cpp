#include <gtest/gtest.h>

#include <string>

#include "db/Query.h"

TEST(QueryTest, NewQueryIsEmptyWith128Bytes) {
    Query query;
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_STREQ(query.Text(), "");
    EXPECT_EQ(query.Capacity(), 128u);
}

TEST(QueryTest, FormatGrowsToTheNeededLengthOnlyPast128) {
    const std::string fits(127, 'a');
    Query query("%s", fits.c_str());
    EXPECT_EQ(query.Capacity(), 128u);
    EXPECT_EQ(query.Text(), fits);

    const std::string longer(300, 'b');
    query.Format("SELECT %s FROM %s", longer.c_str(), "grid");
    EXPECT_EQ(query.Text(), "SELECT " + longer + " FROM grid");
    EXPECT_EQ(query.Capacity(), 7 + 300 + 10 + 1u);
    EXPECT_FALSE(query.IsEmpty());
}

TEST(QueryTest, AppendDoublesWhatItNeeds) {
    Query query("DROP TABLE %s;", "a");  // 13 bytes
    query.Append("%s", "x");
    EXPECT_EQ(query.Capacity(), 128u);

    const std::string block(200, 'c');
    query.Append("%s", block.c_str());
    EXPECT_EQ(query.Text(), "DROP TABLE a;x" + block);
    EXPECT_EQ(query.Capacity(), 2u * (14 + 200 + 1));
}

TEST(QueryTest, ManyAppendsKeepEveryPiece) {
    Query query;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        query.Append("DROP TABLE t%d;", i);
        expected += "DROP TABLE t" + std::to_string(i) + ";";
    }
    EXPECT_EQ(query.Text(), expected);
    EXPECT_GT(query.Capacity(), expected.size());
}

// A copy shares the text until one side changes it; then each keeps its own.
TEST(QueryTest, CopiesAreIndependentValues) {
    Query original("SELECT 1");
    Query copy = original;
    EXPECT_EQ(copy.Text(), original.Text());  // one buffer while neither changes
    copy.Append(" + 1");
    EXPECT_STREQ(original.Text(), "SELECT 1");
    EXPECT_STREQ(copy.Text(), "SELECT 1 + 1");

    Query other("SELECT 2");
    other = original;
    original.Format("%s", "gone");
    EXPECT_STREQ(other.Text(), "SELECT 1");
    EXPECT_STREQ(original.Text(), "gone");
    EXPECT_STREQ(copy.Text(), "SELECT 1 + 1");
}
