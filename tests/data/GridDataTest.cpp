#include <gtest/gtest.h>

#include "data/GridData.h"

namespace {

// The base class cannot be destroyed through a pointer; a concrete holder can.
class BlankGrid : public GridData {
  public:
    BlankGrid() : GridData(2) {}
};

}  // namespace

TEST(GridData, FreshBaseReportsItsConstructionValues) {
    BlankGrid grid;
    grid.SetDefaultValue(4.5);
    EXPECT_EQ(grid.GetXMin(), 100000.0);
    EXPECT_EQ(grid.GetXMax(), -100000.0);
    EXPECT_EQ(grid.GetYMin(), 100000.0);
    EXPECT_EQ(grid.GetYMax(), -100000.0);
    EXPECT_EQ(grid.GetCellSize(), 1.0);
    EXPECT_EQ(grid.GetValueColumnCount(), 2);
    EXPECT_EQ(grid.GetMinValue(), 4.5);
    EXPECT_EQ(grid.GetMaxValue(), 4.5);
    EXPECT_EQ(grid.GetValueAt(1, 2), 4.5);
    EXPECT_EQ(grid.GetValue(), 4.5);
    grid.First();
    EXPECT_FALSE(grid.IsValid());
    EXPECT_TRUE(grid.ContainsEither(-1e9, 1e9, -1e9, 1e9));
    EXPECT_EQ(grid.GetName(), "Blank grid");
    EXPECT_STREQ(grid.GetTableName(), "");
}

TEST(GridData, AddPointWidensTheExtentsOnly) {
    BlankGrid grid;
    grid.AddPoint(3.0, 7.0, {1.0, 2.0});
    EXPECT_EQ(grid.GetXMin(), 3.0);
    EXPECT_EQ(grid.GetXMax(), 3.0);
    EXPECT_EQ(grid.GetYMin(), 7.0);
    EXPECT_EQ(grid.GetYMax(), 7.0);
    grid.AddPoint(-1.0, 9.0, {});
    EXPECT_EQ(grid.GetXMin(), -1.0);
    EXPECT_EQ(grid.GetYMax(), 9.0);
    EXPECT_EQ(grid.GetMaxValue(), 0.0);
}

TEST(QueryChecksum, WeighsEachByteByItsPosition) {
    EXPECT_EQ(QueryChecksum("abc"), 590);
    EXPECT_EQ(QueryChecksum("SELECT * FROM grid"), 13365);
    EXPECT_EQ(QueryChecksum(""), 0);
    // Bytes above 127 count as negative, so non-ASCII text can give a negative sum.
    EXPECT_EQ(QueryChecksum("\xd0\x91"), -48 + 2 * -111);
}

TEST(QueryChecksum, WrapsAtThirtyTwoBits) {
    // 70000 bytes of 'z' (122): 122 * n(n+1)/2 overflows 32 bits.
    const std::string text(70000, 'z');
    const uint64_t exact = 122ull * 70000ull * 70001ull / 2ull;
    EXPECT_EQ(QueryChecksum(text.c_str()), static_cast<int32_t>(static_cast<uint32_t>(exact)));
}
