// A plot made with the sqlite3 shell's .import, where every column is TEXT:
// it is drawn and read exactly as the same plot with number columns, and a
// text that is not a number counts as no uptake, with a warning.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliSupport.h"
#include "data/PlotGenerator.h"

namespace {

const char* const kLayers =
    "uptake-blocks,count-blocks,uptake-isolines,count-isolines,stems-dbh,stems-crown,"
    "stem-labels,scale,tree-blocks,tree-isolines";

class TextColumnsTest : public testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        PlotRequest request;
        request.width = 14;
        request.height = 9;
        request.cell = 0.5;
        request.trees = 6;
        std::string error;
        ASSERT_TRUE(WritePlot("plot.db", request, error)) << error;
        // As a user would: the tables out as CSV, and into a new file with .import.
        const ProgramRun out =
            RunProgram("sqlite3", {"plot.db", ".headers on", ".mode csv", ".once grid.csv",
                                   "SELECT * FROM grid;", ".once stem.csv", "SELECT * FROM stem;"});
        ASSERT_EQ(out.exitCode, 0) << out.err;
        const ProgramRun in = RunProgram(
            "sqlite3", {"text.db", ".import --csv grid.csv grid", ".import --csv stem.csv stem"});
        ASSERT_EQ(in.exitCode, 0) << in.err;
        ASSERT_EQ(QueryColumn("text.db", "SELECT DISTINCT typeof(x_coord) FROM grid"),
                  std::vector<std::string>{"text"});
        trees = QueryColumn("plot.db", "SELECT Tree FROM stem LIMIT 2");
    }

    std::vector<std::string> trees;

    ProgramRun Draw(const std::string& file) {
        return Export(file + ".png", file,
                      {"--size", "420x300", "--layers", kLayers, "--stems",
                       trees[0] + "," + trees[1], "--log-dir", "."});
    }

    std::string Read(const std::string& file) {
        std::string lines;
        for (const char* point : {"3.2,2.7", "10.9,7.4", "-5,1"}) {
            lines += RunQuenvar({"--at", point, "--stems", trees[0] + "," + trees[1], file}).out;
        }
        return lines;
    }

    void ExpectSamePictures() {
        for (const std::string file : {"plot.db", "text.db"}) {
            const ProgramRun run = Draw(file);
            EXPECT_EQ(run.exitCode, 0) << run.err;
        }
        const wxImage typed = LoadPng("plot.db.png");
        const wxImage text = LoadPng("text.db.png");
        ASSERT_TRUE(typed.IsOk() && text.IsOk());
        EXPECT_GT(LitPixels(typed), 420 * 300 / 2);
        EXPECT_TRUE(std::equal(typed.GetData(), typed.GetData() + 3 * 420 * 300, text.GetData()));
        EXPECT_EQ(Read("plot.db"), Read("text.db"));
    }
};

}  // namespace

TEST_F(TextColumnsTest, ImportedTextColumnsDrawAndReadAsNumbers) {
    ExpectSamePictures();
}

TEST_F(TextColumnsTest, TextThatIsNoNumberCountsAsNoUptakeWithOneWarning) {
    const std::string column = QueryColumn("plot.db", "SELECT Tree FROM stem LIMIT 1")[0];
    const std::string cell = "WHERE rowid IN (40, 41, 60)";
    ExecSql("text.db", "UPDATE grid SET \"" + column + "\" = 'NA' " + cell);
    ExecSql("plot.db", "UPDATE grid SET \"" + column + "\" = 0 " + cell);
    const std::string warning = "quenvar: warning: \"text.db\": the column \"" + column +
                                "\" of grid holds text that is not a number (\"NA\", first in "
                                "row 40); such values count as no uptake\n";
    const ProgramRun run = Draw("text.db");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, warning);
    size_t logged = 0;
    for (const std::string& line : ReadLines("error.log")) {
        logged += line.find("holds text that is not a number") != std::string::npos;
    }
    EXPECT_EQ(logged, 1u);
    ExpectSamePictures();
    // The statistics read the plot as the picture does, and say the same.
    const ProgramRun stats = RunQuenvar({"stats", "text.db"});
    EXPECT_EQ(stats.exitCode, 0);
    EXPECT_EQ(stats.err, warning);
    EXPECT_EQ(stats.out, RunQuenvar({"stats", "plot.db"}).out);
}
