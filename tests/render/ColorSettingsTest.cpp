#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "render/ColorSettings.h"

namespace {

std::vector<std::array<int, 3>> Channels(const Palette& palette) {
    std::vector<std::array<int, 3>> out;
    for (const wxColour& c : palette) {
        EXPECT_EQ(c.Alpha(), 255);
        out.push_back({c.Red(), c.Green(), c.Blue()});
    }
    return out;
}

using Rows = std::vector<std::array<int, 3>>;

}  // namespace

TEST(ColorSettings, DefaultsGiveTheBuiltInFiveColours) {
    ColorSettings settings;
    EXPECT_FALSE(settings.GetUseCustomColors());
    EXPECT_EQ(settings.GetColorSteps(), 5);
    EXPECT_EQ(settings.GetLowColor(), wxColour(0, 0, 255));
    EXPECT_EQ(settings.GetHighColor(), wxColour(255, 0, 0));
    EXPECT_EQ(Channels(BuildPalette(settings)),
              (Rows{{0, 0, 150}, {0, 150, 100}, {100, 200, 0}, {255, 255, 0}, {255, 0, 0}}));
    // The steps and colours only count for a custom scale.
    settings.SetColorSteps(9);
    EXPECT_EQ(BuildPalette(settings).size(), 5u);
}

TEST(ColorSettings, CustomPalettesRunFromLowTowardHigh) {
    ColorSettings settings;
    settings.SetUseCustomColors(true);

    settings.SetColorSteps(1);
    EXPECT_EQ(Channels(BuildPalette(settings)), (Rows{{0, 0, 255}}));

    settings.SetColorSteps(5);
    EXPECT_EQ(Channels(BuildPalette(settings)),
              (Rows{{0, 0, 255}, {51, 0, 204}, {102, 0, 153}, {153, 0, 102}, {204, 0, 51}}));

    settings.SetColorSteps(7);
    EXPECT_EQ(Channels(BuildPalette(settings)), (Rows{{0, 0, 255},
                                                      {36, 0, 218},
                                                      {72, 0, 182},
                                                      {109, 0, 145},
                                                      {145, 0, 109},
                                                      {182, 0, 72},
                                                      {218, 0, 36}}));

    settings.SetHighColor(wxColour(0, 0, 255));
    EXPECT_EQ(Channels(BuildPalette(settings)), Rows(7, {0, 0, 255}));

    settings.SetColorSteps(0);
    EXPECT_TRUE(BuildPalette(settings).empty());
    settings.SetColorSteps(-3);
    EXPECT_TRUE(BuildPalette(settings).empty());
}

TEST(PaletteIndex, PicksByTruncatedMinimumAndRange) {
    // Minimum 0, maximum 10, five colours.
    EXPECT_EQ(PaletteIndex(1.9, 0, 10, 5), 0);
    EXPECT_EQ(PaletteIndex(2.0, 0, 10, 5), 1);
    EXPECT_EQ(PaletteIndex(10.0, 0, 10, 5), 4);
    // 0.4 to 10.7 truncates to 0 and 10: 10.7 would be 5.35, clamped to the last.
    EXPECT_EQ(PaletteIndex(10.7, 0.4, 10.7, 5), 4);
    EXPECT_EQ(PaletteIndex(2.0, 0.4, 10.7, 5), 1);
    EXPECT_EQ(PaletteIndex(1.9, 0.4, 10.7, 5), 0);
}

TEST(PaletteIndex, StaysInsideThePalette) {
    EXPECT_EQ(PaletteIndex(-7.0, 0, 10, 5), 0);
    EXPECT_EQ(PaletteIndex(25.0, 0, 10, 5), 4);
    EXPECT_EQ(PaletteIndex(3.0, 0, 10, 1), 0);
    EXPECT_EQ(PaletteIndex(3.0, 0, 10, 0), -1);
}

TEST(PaletteIndex, SmallUnitsUseTheRealRange) {
    // 0.002 to 0.9 truncates to a range of 0: the real range spreads them.
    EXPECT_EQ(PaletteIndex(0.002, 0.002, 0.9, 5), 0);
    EXPECT_EQ(PaletteIndex(0.4, 0.002, 0.9, 5), 2);
    EXPECT_EQ(PaletteIndex(0.9, 0.002, 0.9, 5), 4);
    // Every value equal: all take the last colour, like a maximum.
    EXPECT_EQ(PaletteIndex(1.0, 1.0, 1.0, 5), 4);
    EXPECT_EQ(PaletteIndex(0.5, 0.5, 0.5, 3), 2);
}
