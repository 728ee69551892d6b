// The command Copy View as Command gives: every option of the picture, and
// words a shell would split or expand quoted.
#include <gtest/gtest.h>

#include "cli/ViewCommand.h"

TEST(ViewCommand, NamesEveryOptionAndQuotesWhatAShellWouldSplit) {
    PictureRequest picture;
    picture.width = 640;
    picture.height = 480;
    picture.view = PlotRect{-1.5, 0.0, 10.25, 20.0};
    picture.layers = {FindLayer("uptake-blocks"), FindLayer("tree-isolines")};
    picture.stems = {"T 1", "a,b", "it's"};
    picture.palette = PaletteOption::Cividis;
    picture.ranges[1] = ValueRange{0.0, 2.5};
    picture.shape = FrameShape{true, true};
    EXPECT_EQ(ViewCommandText(picture, "/data/my plot.db", "view.png"),
              "quenvar --export view.png --size 640x480 --view -1.5,0,10.25,20"
              " --layers uptake-blocks,tree-isolines --stems 'T 1,a\\,b,it'\\''s'"
              " --palette cividis --range count=0,2.5 --aspect equal --north-up"
              " '/data/my plot.db'");
    EXPECT_EQ(ShellWord(""), "''");
    EXPECT_EQ(ShellWord("$HOME"), "'$HOME'");
}
