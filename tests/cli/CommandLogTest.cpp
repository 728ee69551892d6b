// The command-line modes write log files only into the folder --log-dir
// names: run from any folder, they leave nothing there.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliSupport.h"

namespace fs = std::filesystem;

namespace {

class CommandLogTest : public testing::Test {
  protected:
    TempDir dir;

    // The plot's text files beside an empty folder "work", which becomes the
    // working directory.
    void SetUp() override {
        WriteFile("grid.csv", "x_coord,y_coord,Oak\n0,0,1\n1,0,0.5\n0,1,0.25\n1,1,0\n");
        WriteFile("stems.csv", "Tree,Xrot0,Yrot0,dbh\nOak,0.5,0.5,0.3\n");
        fs::create_directory("work");
        fs::current_path("work");
    }

    static std::vector<std::string> Left() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(".")) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

}  // namespace

// A new plot's first opening looks for catalogue tables that are not there
// yet; that goes to error.log only when a log is asked for.
TEST_F(CommandLogTest, CommandsLeaveTheWorkingFolderEmptyUnlessGivenALogFolder) {
    ASSERT_EQ(RunQuenvar({"import", "../grid.csv", "../stems.csv", "../plot.db"}).exitCode, 0);
    EXPECT_EQ(Export("../plot.png", "../plot.db", {"--layers", "uptake-blocks"}).exitCode, 0);
    EXPECT_EQ(RunQuenvar({"--at", "0.5,0.5", "../plot.db"}).exitCode, 0);
    EXPECT_EQ(RunQuenvar({"stats", "../plot.db", "--output", "../stats.csv"}).exitCode, 0);
    EXPECT_EQ(Left(), std::vector<std::string>{});

    fs::create_directory("../logs");
    ASSERT_EQ(
        RunQuenvar({"import", "../grid.csv", "../stems.csv", "../new.db", "--log-dir", "../logs"})
            .exitCode,
        0);
    const ProgramRun first =
        Export("../new.png", "../new.db", {"--layers", "uptake-blocks", "--log-dir", "../logs"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_TRUE(first.err.empty()) << first.err;
    EXPECT_NE(ReadFile("../logs/error.log").find("no such table: _db_info"), std::string::npos);
    EXPECT_TRUE(fs::exists("../logs/run.log") && fs::exists("../logs/console.log"));
    EXPECT_EQ(Left(), std::vector<std::string>{});
}

TEST_F(CommandLogTest, ALogFolderThatCannotBeWrittenIsRefusedFirst) {
    WriteFile("../file", "");
    for (const std::string folder : {"../missing", "../file"}) {
        const ProgramRun run = RunQuenvar({"stats", "../plot.db", "--log-dir", folder});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "quenvar: cannot write the logs into \"" + folder + "\": " +
                               (folder == "../missing"
                                    ? "there is no such folder; make it first, or name another\n"
                                    : "it is not a folder\n"));
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_FALSE(fs::exists("../missing"));
    // The window keeps its logs in the working folder.
    const ProgramRun window = RunQuenvar({"--log-dir", "..", "../plot.db"}, {true, false});
    EXPECT_EQ(window.exitCode, 2);
    EXPECT_NE(window.err.find("--log-dir belongs to --export, --at, import, stats and grid"),
              std::string::npos)
        << window.err;
    EXPECT_EQ(Left(), std::vector<std::string>{});
}
