// `quenvar stats`: every number checked against SQL run straight on grid.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "CliSupport.h"
#include "db/SqlText.h"

namespace {

// Half-metre cells, values of both signs; "B, \"two\"" has no stem, the stem
// S none of the grid's columns.
const std::vector<std::string> kTrees = {"A", "B, \"two\"", "C"};

std::vector<PlotCell> Cells() {
    std::vector<PlotCell> cells;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            cells.push_back({0.5 * i, 0.5 * j, {1.25 * i - 2 + j, j - 1.5, 0.75 * (i + j) - 1}});
        }
    }
    return cells;
}

// One CSV line split into its fields, quotes undone.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

std::vector<std::vector<std::string>> Rows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    size_t start = 0;
    for (size_t end; (end = csv.find('\n', start)) != std::string::npos; start = end + 1) {
        rows.push_back(Fields(csv.substr(start, end - start)));
    }
    return rows;
}

double Sql(const std::string& sql) {
    return std::stod(QueryColumn("plot.db", sql)[0]);
}

void ExpectNear(const std::string& written, double expected, const std::string& what) {
    ASSERT_FALSE(written.empty()) << what;
    EXPECT_NEAR(std::stod(written), expected, 1e-8 * std::max(1.0, std::fabs(expected))) << what;
}

class StatsTest : public testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        MakeGrid("plot.db", kTrees, Cells());
        MakeStems("plot.db",
                  {{"A", 0.3, 0.4, 0.2, 1}, {"C", 2.1, 1.7, 0.2, 1}, {"S", 1, 1, 0.1, 1}});
    }

    // What SQL says of one tree's cells, the stem given, against the row written.
    void ExpectTree(const std::vector<std::string>& row, const std::string& tree, double sx,
                    double sy) {
        const std::string c = SqlName(tree);
        std::string others = "0";
        for (const std::string& other : kTrees) {
            others += other == tree ? "" : " OR " + SqlName(other) + " > 0";
        }
        const std::string its = " FROM grid WHERE " + c + " > 0";
        const double uptake = Sql("SELECT total(" + c + ")" + its);
        const double cx = Sql("SELECT total(" + c + " * (x_coord + 0.25))" + its) / uptake;
        const double cy = Sql("SELECT total(" + c + " * (y_coord + 0.25))" + its) / uptake;
        double all = 0;
        for (const std::string& any : kTrees) {
            all +=
                Sql("SELECT total(" + SqlName(any) + ") FROM grid WHERE " + SqlName(any) + " > 0");
        }
        EXPECT_EQ(row[0], tree);
        ExpectNear(row[3], uptake, tree + " uptake");
        EXPECT_EQ(row[4], QueryColumn("plot.db", "SELECT count(*)" + its)[0]);
        ExpectNear(row[5], 0.25 * Sql("SELECT count(*)" + its), tree + " area");
        ExpectNear(row[6], uptake / all, tree + " share");
        ExpectNear(row[7], cx, tree + " centre_x");
        ExpectNear(row[8], cy, tree + " centre_y");
        ExpectNear(row[11], 0.25 * Sql("SELECT count(*)" + its + " AND (" + others + ")"),
                   tree + " shared_area");
        ExpectNear(row[12], Sql("SELECT total(" + c + ")" + its + " AND (" + others + ")"),
                   tree + " shared_uptake");
        if (std::isnan(sx)) {
            for (int column : {1, 2, 9, 10}) {
                EXPECT_EQ(row[size_t(column)], "") << tree << " column " << column;
            }
            return;
        }
        ExpectNear(row[1], sx, tree + " stem_x");
        ExpectNear(row[9], std::hypot(cx - sx, cy - sy), tree + " offset");
        const std::string dx = "(x_coord + 0.25 - " + std::to_string(sx) + ")";
        const std::string dy = "(y_coord + 0.25 - " + std::to_string(sy) + ")";
        ExpectNear(row[10],
                   std::sqrt(Sql("SELECT max(" + dx + "*" + dx + "+" + dy + "*" + dy + ")" + its)),
                   tree + " reach");
    }
};

}  // namespace

TEST_F(StatsTest, EveryTreeInColumnOrderMatchesSqlWithoutADisplay) {
    const ProgramRun run = RunQuenvar({"stats", "plot.db"}, {true});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "tree,stem_x,stem_y,uptake,cells,area,share,centre_x,centre_y,offset,reach,"
              "shared_area,shared_uptake");
    EXPECT_NE(run.out.find("\n\"B, \"\"two\"\"\","), std::string::npos) << run.out;
    const auto rows = Rows(run.out);
    ASSERT_EQ(rows.size(), 4u) << run.out;
    ExpectTree(rows[1], "A", 0.3, 0.4);
    ExpectTree(rows[2], kTrees[1], NAN, NAN);
    ExpectTree(rows[3], "C", 2.1, 1.7);
    EXPECT_FALSE(std::filesystem::exists("small-set.db"));
}

TEST_F(StatsTest, OverlapOfTheTreesGivenMatchesSqlAndGoesToTheOutputFile) {
    const ProgramRun run =
        RunQuenvar({"stats", "plot.db", "--overlap", "--trees", "C,S,A", "--output", "o.csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const auto rows = Rows(ReadFile("o.csv"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"tree", "C", "S", "A"}));
    const std::vector<std::string> order = {"C", "S", "A"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i + 1][0], order[i]);
        for (size_t j = 0; j < 3; ++j) {
            // S has no grid column, so no cells.
            const double both = order[i] == "S" || order[j] == "S"
                                    ? 0.0
                                    : Sql("SELECT count(*) FROM grid WHERE " + SqlName(order[i]) +
                                          " > 0 AND " + SqlName(order[j]) + " > 0");
            ExpectNear(rows[i + 1][j + 1], 0.25 * both, order[i] + "/" + order[j]);
        }
    }
    const ProgramRun stem = RunQuenvar({"stats", "plot.db", "--trees", "S"});
    ASSERT_EQ(stem.exitCode, 0) << stem.err;
    EXPECT_EQ(Rows(stem.out)[1], (std::vector<std::string>{"S", "1", "1", "0", "0", "0", "0", "",
                                                           "", "", "", "0", "0"}));
}

TEST_F(StatsTest, UnknownLabelsExitTwoAndAReadOnlyPlotKeepsItsCellSize) {
    const ProgramRun unknown = RunQuenvar({"stats", "plot.db", "--trees", "A,Nope"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "quenvar: no tree or stem is labelled \"Nope\" in \"plot.db\"\n");
    EXPECT_EQ(unknown.out, "");
    // Without index tables the sets never learn the cell size; the area still uses 0.5.
    std::filesystem::create_directory("ro");
    std::filesystem::copy_file("plot.db", "ro/plot.db");
    chmod("ro/plot.db", 0444);
    chmod("ro", 0555);
    chmod(".", 0777);
    const ProgramRun readOnly = RunQuenvar({"stats", "ro/plot.db", "--trees", "A"}, {false, true});
    chmod("ro", 0755);
    if (!ReachedTheProgram(readOnly)) {
        GTEST_SKIP() << kCannotRunAsNobody;
    }
    ASSERT_EQ(readOnly.exitCode, 0) << readOnly.err;
    EXPECT_NE(readOnly.err.find("warning: "), std::string::npos);
    ExpectNear(Rows(readOnly.out)[1][5], 0.25 * Sql("SELECT count(*) FROM grid WHERE A > 0"),
               "area");
}
