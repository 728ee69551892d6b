// The colours of the dominant layers: a tree's is never the transparent
// black, a shaded cell blends toward white by its share, and each group
// keeps its colour whatever was drawn before.
#include <gtest/gtest.h>

#include "render/DominantBlockRenderer.h"
#include "render/GroupColors.h"
#include "render/TreeColors.h"

TEST(DominantColors, BlackBecomesNearBlackAndSharesBlendTowardWhite) {
    TreeColors colors;
    colors.Set("T1", wxColour(0, 0, 0));
    EXPECT_EQ(colors.Get("T1"), wxColour(1, 1, 1));
    EXPECT_EQ(ShadedColor(wxColour(100, 0, 200), 1.0), wxColour(100, 0, 200));
    EXPECT_EQ(ShadedColor(wxColour(100, 0, 200), 0.5), wxColour(177, 127, 227));
    EXPECT_EQ(ShadedColor(wxColour(100, 0, 200), 0.0), wxColour(255, 255, 255));
    EXPECT_EQ(ShadedColor(wxColour(0, 0, 0), 1.0), wxColour(1, 1, 1));
    EXPECT_EQ(GroupColor(0), wxColour(0x4E, 0x79, 0xA7));
    EXPECT_EQ(GroupColor(-1), wxColour(128, 128, 128));  // a tree of no group
    for (int group = 0; group < 50; ++group) {
        EXPECT_NE(GroupColor(group), *wxBLACK) << group;
        EXPECT_NE(GroupColor(group), GroupColor(group + 1)) << group;
    }
}
