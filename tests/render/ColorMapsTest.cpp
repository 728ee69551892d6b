#include <gtest/gtest.h>

#include "render/ColorMaps.h"

namespace {

double Lightness(const wxColour& c) {
    return 0.2126 * c.Red() + 0.7152 * c.Green() + 0.0722 * c.Blue();
}

}  // namespace

// The published end colours: viridis #440154 to #fde725, cividis #00224e to #fee838.
TEST(ColorMaps, RunFromThePublishedFirstColourToTheLast) {
    EXPECT_EQ(ColorMapEntry(ColorMap::Viridis, 0), wxColour(0x44, 0x01, 0x54));
    EXPECT_EQ(ColorMapEntry(ColorMap::Viridis, 255), wxColour(0xfd, 0xe7, 0x25));
    EXPECT_EQ(ColorMapEntry(ColorMap::Viridis, 128), wxColour(0x21, 0x91, 0x8c));
    EXPECT_EQ(ColorMapEntry(ColorMap::Cividis, 0), wxColour(0x00, 0x22, 0x4e));
    EXPECT_EQ(ColorMapEntry(ColorMap::Cividis, 255), wxColour(0xfe, 0xe8, 0x38));
    EXPECT_FALSE(ColorMapEntry(ColorMap::Viridis, 256).IsOk());
}

// A mistyped table entry would break the even climb of lightness or jump.
TEST(ColorMaps, TablesGrowLighterStepByStep) {
    for (ColorMap map : {ColorMap::Viridis, ColorMap::Cividis}) {
        for (int i = 1; i < kColorMapSize; ++i) {
            const wxColour a = ColorMapEntry(map, i - 1);
            const wxColour b = ColorMapEntry(map, i);
            // Rounding to 8 bits may hold the lightness back a little for a step, never more.
            EXPECT_GT(Lightness(b), Lightness(a) - 0.5) << "entry " << i;
            if (i >= 2) {
                EXPECT_GT(Lightness(b), Lightness(ColorMapEntry(map, i - 2))) << "entry " << i;
            }
            EXPECT_LE(std::abs(b.Red() - a.Red()) + std::abs(b.Green() - a.Green()) +
                          std::abs(b.Blue() - a.Blue()),
                      8)
                << "entry " << i;
        }
    }
}

TEST(ColorMaps, StepsAreSampledEvenlyFromEndToEnd) {
    const int five[] = {0, 64, 128, 191, 255};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ColorMapSampleIndex(i, 5), five[i]);
    }
    EXPECT_EQ(ColorMapSampleIndex(0, 1), 0);
    EXPECT_EQ(ColorMapSampleIndex(1, 2), 255);
    EXPECT_EQ(ColorMapSampleIndex(999, 1000), 255);

    const Palette palette = SampleColorMap(ColorMap::Cividis, 3);
    ASSERT_EQ(palette.size(), 3u);
    EXPECT_EQ(palette[1], ColorMapEntry(ColorMap::Cividis, 128));
    EXPECT_TRUE(SampleColorMap(ColorMap::Viridis, 0).empty());
    EXPECT_TRUE(SampleColorMap(ColorMap::None, 5).empty());
}

TEST(ColorMaps, ChosenMapColoursThePlotAndTheTrees) {
    ColorSettings settings;
    settings.SetUseCustomColors(true);
    // A custom scale leaves the trees on the built-in one.
    EXPECT_EQ(TreePalette(settings), BuiltInPalette());

    settings.SetColorMap(ColorMap::Viridis);
    settings.SetColorSteps(7);
    EXPECT_EQ(BuildPalette(settings), SampleColorMap(ColorMap::Viridis, 7));
    EXPECT_EQ(TreePalette(settings), SampleColorMap(ColorMap::Viridis, 7));
}
