#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/Log.h"

namespace {

using Strings = std::vector<std::string>;

const std::regex kLine(R"(^(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\]) \((error|run|console)\) (.*)$)");

struct LogLine {
    std::string stamp;
    std::string tag;
    std::string message;
};

std::vector<LogLine> Parse(const std::string& file) {
    std::vector<LogLine> lines;
    for (const std::string& text : ReadLines(file)) {
        std::smatch match;
        if (std::regex_match(text, match, kLine)) {
            lines.push_back({match[1], match[2], match[3]});
        } else {
            lines.push_back({"", "", text});
        }
    }
    return lines;
}

class LogTest : public testing::Test {
  protected:
    TempDir dir;
};

}  // namespace

TEST_F(LogTest, ErrorAndRunGetTheSameLine) {
    Log(LOG_ERROR | LOG_RUN, "Viewer clicked. (%d, %d)", 12, -3);
    std::vector<LogLine> errors = Parse("error.log");
    std::vector<LogLine> runs = Parse("run.log");
    ASSERT_EQ(errors.size(), 1u);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(errors[0].stamp.empty());
    EXPECT_EQ(errors[0].stamp, runs[0].stamp);
    EXPECT_EQ(errors[0].tag, "error");
    EXPECT_EQ(runs[0].tag, "run");
    EXPECT_EQ(errors[0].message, "Viewer clicked. (12, -3)");
    EXPECT_EQ(runs[0].message, "Viewer clicked. (12, -3)");
    EXPECT_FALSE(std::filesystem::exists("console.log"));
}

TEST_F(LogTest, ConsoleChannelAndAppending) {
    LogConsole("Database version: %f", 0.1);
    Log(LOG_CONSOLE, "%s", "second");
    std::vector<LogLine> lines = Parse("console.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].tag, "console");
    EXPECT_EQ(lines[0].message, "Database version: 0.100000");
    EXPECT_EQ(lines[1].message, "second");
}

TEST_F(LogTest, UnknownChannelsWriteNothing) {
    Log(0, "nothing");
    Log(1 | 16, "nothing either");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(LogTest, LineFeedLeavesALineWithoutStamp) {
    Log(LOG_ERROR, "Error opening database.\n");
    Log(LOG_ERROR, "two\nlines");
    std::vector<LogLine> lines = Parse("error.log");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].message, "Error opening database.");
    EXPECT_EQ(lines[1].stamp, "");
    EXPECT_EQ(lines[1].message, "");
    EXPECT_EQ(lines[2].message, "two");
    EXPECT_EQ(lines[3].stamp, "");
    EXPECT_EQ(lines[3].message, "lines");
}

TEST_F(LogTest, InitEmptiesOnlyTheFilesOfItsMask) {
    Log(LOG_ERROR | LOG_RUN | LOG_CONSOLE, "before");
    LogInit(LOG_RUN);
    EXPECT_TRUE(ReadFile("run.log").empty());
    EXPECT_EQ(Parse("error.log").size(), 1u);
    EXPECT_EQ(Parse("console.log").size(), 1u);

    LogInit(LOG_ERROR | LOG_CONSOLE);
    EXPECT_TRUE(ReadFile("error.log").empty());
    EXPECT_EQ(Parse("console.log").size(), 1u);
}

TEST_F(LogTest, InitCreatesMissingFiles) {
    LogInit(LOG_ERROR | LOG_RUN);
    EXPECT_TRUE(std::filesystem::exists("error.log"));
    EXPECT_TRUE(std::filesystem::exists("run.log"));
    EXPECT_FALSE(std::filesystem::exists("console.log"));
}

TEST_F(LogTest, UnwritableFileIsSkippedAndTheOthersAreWritten) {
    // A folder in the file's place cannot be opened for appending, even by root.
    std::filesystem::create_directory("run.log");
    LogInit(LOG_ERROR | LOG_RUN);
    Log(LOG_ERROR | LOG_RUN | LOG_CONSOLE, "Session ended.");
    ASSERT_EQ(Parse("error.log").size(), 1u);
    EXPECT_EQ(Parse("error.log")[0].message, "Session ended.");
    EXPECT_EQ(Parse("console.log")[0].message, "Session ended.");
    EXPECT_TRUE(std::filesystem::is_directory("run.log"));
}
