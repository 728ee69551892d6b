// `quenvar import` through the real program: what the file holds, what the
// user is told, and that nothing is left behind.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "CliSupport.h"
#include "cli/ImportCommand.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kWide =
    "gridcell_id,x_coord,y_coord,Oak 1,Birch\n"
    "1,0,0,2,0\n2,1,0,1,0.5\n3,0,1,0,1\n4,1,1,1,1\n";
const char* const kLong =
    "x_coord;y_coord;Tree;uptake\n"
    "0;0;Oak 1;2\n1;0;Oak 1;1\n1;0;Birch;0,5\n0;1;Birch;1\n1;1;Oak 1;1\n1;1;Birch;1\n"
    "0;0;Birch;0\n";
const char* const kStems =
    "Tree,Xrot0,Yrot0,dbh,species\n\"Oak 1\",0.5,0.5,0.3,Quercus\nBirch,1.5,1.5,0.2,Betula\n";

Strings Names(const std::string& folder) {
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ImportTest : public testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        WriteFile("wide.csv", kWide);
        WriteFile("long.csv", kLong);
        WriteFile("stems.csv", kStems);
    }
};

}  // namespace

TEST_F(ImportTest, WideAndLongMakeTheSameFileOfRealsThatDraws) {
    ProgramRun run = RunQuenvar({"import", "wide.csv", "stems.csv", "wide.db"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "wide.db: 4 cells, 2 trees, 2 stems\n");
    EXPECT_EQ(run.err, "");
    run = RunQuenvar({"import", "long.csv", "stems.csv", "long.db"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto tables = UserTables("wide.db");
    EXPECT_EQ(UserTables("long.db"), tables);
    // Whole numbers too are stored as reals, so that no column reads as integers.
    EXPECT_EQ(QueryColumn("wide.db",
                          "SELECT typeof(x_coord) || typeof(\"Oak 1\") || "
                          "typeof(Birch) || ' ' || \"Oak 1\" FROM grid LIMIT 1"),
              Strings{"realrealreal 2.0"});
    EXPECT_EQ(QueryColumn("wide.db", "SELECT sql FROM sqlite_master WHERE name = 'stem'"),
              Strings{"CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, "
                      "species text)"});

    run = Export("plot.png", "wide.db", {"--layers", "uptake-blocks", "--stems", "Oak 1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(LitPixels(LoadPng("plot.png")), 0);
}

TEST_F(ImportTest, BadInputExitsTwoWithOneLineAndLeavesNothing) {
    WriteFile("bad.csv", "x_coord,y_coord,Oak 1\n0,0,1\n1,0,1,5\n");
    const Strings before = Names(dir.Path());
    const ProgramRun run = RunQuenvar({"import", "bad.csv", "stems.csv", "out.db"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "quenvar: bad.csv, line 3: 4 fields, but the header has 3\n");
    EXPECT_EQ(Names(dir.Path()), before);
}

TEST_F(ImportTest, ReplacesAnExistingFileOnlyWithForce) {
    WriteFile("out.db", "keep me");
    ProgramRun run = RunQuenvar({"import", "wide.csv", "stems.csv", "out.db"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "quenvar: \"out.db\" exists already; give --force to replace it\n");
    EXPECT_EQ(ReadFile("out.db"), "keep me");
    // The import needs no display.
    RunOptions withoutDisplay;
    withoutDisplay.withoutDisplay = true;
    run = RunQuenvar({"import", "wide.csv", "stems.csv", "out.db", "--force"}, withoutDisplay);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(QueryColumn("out.db", "SELECT count(*) FROM grid"), Strings{"4"});
}

// On a terminal the import shows one line of progress, and clears it before
// it says what it wrote; in a pipe it says nothing of it (see above).
TEST_F(ImportTest, ShowsItsProgressOnATerminalOnly) {
    std::string grid = "x_coord,y_coord,Oak 1,Birch\n";
    for (int i = 0; i < 5000; ++i) {
        grid += std::to_string(i % 100) + "," + std::to_string(i / 100) + ",0.5,0.25\n";
    }
    WriteFile("big.csv", grid);
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(QUENVAR_BINARY, QUENVAR_BINARY, "import", "big.csv", "stems.csv", "out.db", nullptr);
        _exit(127);
    }
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, size_t(got));
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
    EXPECT_EQ(shown.rfind("\rquenvar: importing, ", 0), 0u) << shown;
    EXPECT_NE(shown.find("\rquenvar: importing, 100% read\r\033[Kout.db: 5000 cells, 2 trees, "),
              std::string::npos)
        << shown;
}

// The files of these pairs were written by the import before it streamed its
// rows: every schema, row and storage type must stay as it was.
struct EarlierImport {
    const char* grid;
    const char* stems;
    Strings gridTable;
    Strings stemTable;
};

TEST_F(ImportTest, WritesWhatTheEarlierImportWrote) {
    const Strings wideGrid = {
        "3:CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double, \"Oak 1\" "
        "double, Birch double)",
        "1:1|2:0.0|2:0.0|2:2.0|2:0.0|", "1:2|2:1.0|2:0.0|2:1.0|2:0.5|",
        "1:3|2:0.0|2:1.0|2:0.0|2:1.0|", "1:4|2:1.0|2:1.0|2:1.0|2:1.0|"};
    const Strings wideStems = {
        "3:CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, species text)",
        "3:Oak 1|2:0.5|2:0.5|2:0.3|3:Quercus|", "3:Birch|2:1.5|2:1.5|2:0.2|3:Betula|"};
    const EarlierImport pairs[] = {
        {"wide.csv", "stems.csv", wideGrid, wideStems},
        {"long.csv", "stems.csv", wideGrid, wideStems},
        {"gridcell_id;x_coord;y_coord;\"Oak; \"\"big\"\"\"\n7;0;0;0,5\n9;1;0;1\n",
         "height,Tree,species,Yrot0,Xrot0,age\n"
         "21.5,\"Oak; \"\"big\"\"\",Quercus,0.5,0.5,NA\n,Ash,\"Fraxinus, ex.\",1,1,40\n",
         {"3:CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double, \"Oak; "
          "\"\"big\"\"\" double)",
          "1:7|2:0.0|2:0.0|2:0.5|", "1:9|2:1.0|2:0.0|2:1.0|"},
         {"3:CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, height double, species "
          "text, age double)",
          "3:Oak; \"big\"|2:0.5|2:0.5|2:21.5|3:Quercus|2:-1.0|",
          "3:Ash|2:1.0|2:1.0|2:-1.0|3:Fraxinus, ex.|2:40.0|"}},
        {"\xEF\xBB\xBFTree\tuptake\ty_coord\tx_coord\r\nOak\t0.8\t0\t0\r\nBirch\t0\t0\t0\r\n"
         "Oak\t0.5\t0\t1\r\nBirch\t0.25\t0\t1\r\nBirch\t0.125\t1\t0\r\n",
         "Tree,Xrot0,Yrot0\nOak,0.5,0.5\nBirch,1.5,0.5\n",
         {"3:CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double, Oak double, "
          "Birch double)",
          "1:1|2:0.0|2:0.0|2:0.8|2:0.0|", "1:2|2:1.0|2:0.0|2:0.5|2:0.25|",
          "1:3|2:0.0|2:1.0|2:0.0|2:0.125|"},
         {"3:CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double)", "3:Oak|2:0.5|2:0.5|",
          "3:Birch|2:1.5|2:0.5|"}},
    };
    for (const EarlierImport& pair : pairs) {
        // A pair given as text is written to files first.
        const bool named = std::string(pair.grid).find('\n') == std::string::npos;
        if (!named) {
            WriteFile("g.csv", pair.grid);
            WriteFile("s.csv", pair.stems);
        }
        std::filesystem::remove("out.db");
        ASSERT_TRUE(
            ImportPlot({named ? pair.grid : "g.csv", named ? pair.stems : "s.csv", "out.db", false})
                .written);
        const auto tables = UserTables("out.db");
        EXPECT_EQ(tables.at("grid"), pair.gridTable) << pair.grid;
        EXPECT_EQ(tables.at("stem"), pair.stemTable) << pair.grid;
    }
}

// The import as the window runs it, in this process.
TEST(ImportPlot, FailedImportLeavesNothingAndNeverReplacesWithoutForce) {
    TempDir dir;
    WriteFile("grid.csv", "x_coord,y_coord,Oak\n0,0,1\n1,0,x\n");
    WriteFile("stems.csv", "Tree,Xrot0,Yrot0\nOak,0.5,0.5\nBirch,1.5,0.5\n");
    WriteFile("out.db", "earlier");
    ImportOutcome outcome = ImportPlot({"grid.csv", "stems.csv", "new.db", false});
    EXPECT_FALSE(outcome.written);
    outcome = ImportPlot({"grid.csv", "stems.csv", "out.db", true});
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(ReadFile("out.db"), "earlier");

    WriteFile("grid.csv", "x_coord,y_coord,Oak\n0,0,1\n");
    outcome = ImportPlot({"grid.csv", "stems.csv", "out.db", false});
    EXPECT_EQ(outcome.error, "\"out.db\" exists already; give --force to replace it");
    EXPECT_EQ(ReadFile("out.db"), "earlier");
    // Not even --force lets the plot replace one of its inputs.
    EXPECT_EQ(ImportPlot({"grid.csv", "stems.csv", "./grid.csv", true}).error,
              "will not write the plot over its input file \"grid.csv\"");
    EXPECT_EQ(ReadFile("grid.csv"), "x_coord,y_coord,Oak\n0,0,1\n");
    EXPECT_EQ(Names(dir.Path()), (Strings{"grid.csv", "out.db", "stems.csv"}));

    EXPECT_TRUE(ImportPlot({"grid.csv", "stems.csv", "out.db", true}).written);
    EXPECT_EQ(QueryColumn("out.db", "SELECT typeof(Oak) FROM grid"), Strings{"real"});
}
