// A fixed value range: the palette pick at its boundaries, the level lines
// at the same boundaries, and the legend's open ends.
#include <gtest/gtest.h>

#include "render/IsolineGridDataRenderer.h"
#include "render/Legend.h"
#include "render/ValueRange.h"

TEST(FixedRange, PicksByTheUntruncatedRangeAndClampsBothEnds) {
    // 0.5 to 3 in five colours: boundaries at 1, 1.5, 2 and 2.5.
    const ValueRange range{0.5, 3.0};
    const struct {
        double value;
        int index;
    } cases[] = {{0.5, 0},  {0.999, 0}, {1.0, 1}, {1.499, 1}, {2.5, 4}, {3.0, 4},
                 {-7.0, 0}, {0.0, 0},   {3.5, 4}, {1e300, 4}, {NAN, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(FixedPaletteIndex(c.value, range, 5), c.index) << c.value;
    }
    EXPECT_EQ(FixedPaletteIndex(0.7, range, 1), 0);
    EXPECT_EQ(FixedPaletteIndex(0.7, range, 0), -1);
}

TEST(FixedRange, LevelLinesSeparateExactlyWhereTheColourChanges) {
    // The data's own range would put 1.2 and 1.4 on different levels.
    const IsolineLevels levels(0.0, 10.0, 5, ValueRange{0.5, 3.0});
    ASSERT_TRUE(levels.HasLevels());
    EXPECT_EQ(levels.CellLevel(1.2), 1);
    EXPECT_FALSE(levels.Scaled(1.4) > levels.CellLevel(1.2));  // same colour: no line
    EXPECT_TRUE(levels.Scaled(1.5) > levels.CellLevel(1.2));
    EXPECT_EQ(levels.ColorIndex(9.0), 4);
    EXPECT_FALSE(levels.Scaled(9.0) > levels.CellLevel(2.6));  // no line beyond MAX
}

TEST(FixedRange, LegendNamesTheBoundariesWithOpenEnds) {
    const Palette palette(5, wxColour(1, 2, 3));
    const std::vector<LegendEntry> entries = FixedRangeEntries(palette, ValueRange{0.5, 3.0});
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].text, wxString::FromUTF8("\xE2\x89\xA4 1"));
    EXPECT_EQ(entries[1].text, wxString::FromUTF8("1 \xE2\x80\x93 1.5"));
    EXPECT_EQ(entries[4].text, wxString::FromUTF8("\xE2\x89\xA5 2.5"));
}
