#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "base/PendingFile.h"

// An output that is a folder, or an input under another name, is refused
// before anything is written.
TEST(CheckOutputPath, RefusesAFolderAndAnInputUnderAnyName) {
    TempDir dir;
    WriteFile("plot.db", "data");
    std::filesystem::create_directory("pictures");
    std::filesystem::create_symlink("plot.db", "link.db");
    std::string error;
    EXPECT_FALSE(
        CheckOutputPath("pictures", "the picture", "the database file", {"plot.db"}, error));
    EXPECT_EQ(error, "cannot write \"pictures\": it is a folder");
    for (const char* output : {"plot.db", "./plot.db", "link.db"}) {
        EXPECT_FALSE(
            CheckOutputPath(output, "the plot", "its input file", {"a.csv", "plot.db"}, error));
        EXPECT_EQ(error, "will not write the plot over its input file \"plot.db\"");
    }
    EXPECT_TRUE(CheckOutputPath("new.png", "the picture", "the database file", {"plot.db"}, error));
    EXPECT_EQ(ReadFile("plot.db"), "data");
}
