// The dominant-tree layers and stats --by on a plot made unlike the demo:
// an offset origin, half-metre cells, ties, losses and cells where nobody
// takes up. What each cell shows is worked out here, and the groups' numbers
// by SQL over grid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "CliSupport.h"

namespace {

constexpr int kTrees = 4;  // A, B, C (FASY, PCAB, FASY) and D, which has no stem row

int Value(int tree, int i, int j) {
    return (i * 3 + j * 5 + tree * 7) % 6 - 1;
}

struct Dominant {
    int tree = -1;  // none where no tree takes up
    double share = 0.0;
};

// The largest value above 0, the first column of equal ones.
Dominant DominantOf(int i, int j) {
    Dominant dominant;
    int best = 0;
    int total = 0;
    for (int tree = 0; tree < kTrees; ++tree) {
        const int v = Value(tree, i, j);
        total += v > 0 ? v : 0;
        if (v > best) {
            best = v;
            dominant.tree = tree;
        }
    }
    dominant.share = total > 0 ? double(best) / total : 0.0;
    return dominant;
}

class DominantExport : public testing::Test {
  protected:
    void SetUp() override {
        std::string sql = "CREATE TABLE grid (gridcell_id, x_coord, y_coord, A, B, C, D);";
        for (int i = 0; i < 10; ++i) {
            for (int j = 0; j < 8; ++j) {
                sql += "INSERT INTO grid VALUES (" + std::to_string(i * 8 + j) + ", " +
                       std::to_string(-40 + 0.5 * i) + ", " + std::to_string(7.5 + 0.5 * j);
                for (int tree = 0; tree < kTrees; ++tree) {
                    sql += ", " + std::to_string(Value(tree, i, j));
                }
                sql += ");";
            }
        }
        sql +=
            "CREATE TABLE stem (Tree TEXT, Xrot0, Yrot0, dbh, Crown_d_m, species);"
            "INSERT INTO stem VALUES ('A', -39, 8, 0.1, 1, 'FASY'), ('B', -37, 9, 0.1, 1, "
            "'PCAB'), ('C', -38, 10, 0.1, 1, 'FASY');";
        ExecSql("odd.db", sql);
    }

    // 40 pixels a cell, as the grid is 5 by 4 plot units with its last cell.
    wxImage Draw(const char* layer) {
        const ProgramRun run =
            Export("odd.png", "odd.db", {"--size", "400x320", "--layers", layer});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return LoadPng("odd.png");
    }

    TempDir dir;
};

}  // namespace

TEST_F(DominantExport, CellsPartitionByTheLargestUptakeAndPaleByShare) {
    const wxImage plain = Draw("dominant-blocks");
    const wxImage shaded = Draw("dominant-share-blocks");
    std::map<int, Rgb> colorOf;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 8; ++j) {
            SCOPED_TRACE(testing::Message() << "cell " << i << "," << j);
            const Dominant dominant = DominantOf(i, j);
            const Rgb own = PixelAt(plain, i * 40 + 20, j * 40 + 20);
            const Rgb pale = PixelAt(shaded, i * 40 + 20, j * 40 + 20);
            if (dominant.tree < 0) {
                EXPECT_EQ(own, kBlack);
                EXPECT_EQ(pale, kBlack);
                continue;
            }
            // One colour per tree, never black.
            EXPECT_NE(own, kBlack);
            EXPECT_EQ(colorOf.emplace(dominant.tree, own).first->second, own);
            const auto blend = [&dominant](int c) {
                return int(c * dominant.share + 255.0 * (1.0 - dominant.share));
            };
            EXPECT_LE(std::abs(pale.r - blend(own.r)), 1) << pale << " of " << own;
            EXPECT_LE(std::abs(pale.g - blend(own.g)), 1) << pale << " of " << own;
            EXPECT_LE(std::abs(pale.b - blend(own.b)), 1) << pale << " of " << own;
        }
    }
    ASSERT_EQ(colorOf.size(), size_t(kTrees));
    for (const auto& [tree, color] : colorOf) {
        for (const auto& [other, otherColor] : colorOf) {
            EXPECT_TRUE(tree == other || !(color == otherColor)) << tree << " and " << other;
        }
    }
}

TEST_F(DominantExport, StatsByAStemColumnEqualASqlGroupBy) {
    const ProgramRun run = RunQuenvar({"stats", "odd.db", "--by", "species"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Each tree's values above 0 with its group; D has no stem row.
    const std::string taken =
        "WITH v AS (SELECT gridcell_id c, 'A' t, A v FROM grid UNION ALL SELECT gridcell_id, 'B', "
        "B FROM grid UNION ALL SELECT gridcell_id, 'C', C FROM grid UNION ALL SELECT "
        "gridcell_id, 'D', D FROM grid), g AS (SELECT c, COALESCE(NULLIF(species, ''), '(none)') "
        "grp, v FROM v LEFT JOIN stem ON Tree = t WHERE v > 0) ";
    const std::vector<std::string> expected = QueryColumn(
        "odd.db",
        taken +
            "SELECT grp || ',' || COUNT(DISTINCT c) || ',' || (SUM(v) * 1.0 / (SELECT SUM(v) FROM "
            "g)) || ',' || (SELECT COUNT(DISTINCT c) FROM g h WHERE h.grp = g.grp AND c IN "
            "(SELECT c FROM g GROUP BY c HAVING COUNT(DISTINCT grp) > 1)) || ',' || SUM(v) FROM g "
            "GROUP BY grp");
    std::map<std::string, std::string> rows;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "group,trees,uptake,cells,area,share,shared_area,shared_uptake");
    while (std::getline(lines, line)) {
        rows[line.substr(0, line.find(','))] = line;
    }
    ASSERT_EQ(rows.size(), expected.size()) << run.out;
    for (const std::string& want : expected) {
        std::istringstream fields(want);
        std::string group, cells, share, shared, uptake;
        std::getline(fields, group, ',');
        std::getline(fields, cells, ',');
        std::getline(fields, share, ',');
        std::getline(fields, shared, ',');
        std::getline(fields, uptake, ',');
        std::istringstream got(rows[group]);
        std::vector<std::string> f(8);
        for (std::string& field : f) {
            std::getline(got, field, ',');
        }
        SCOPED_TRACE(want + " against " + rows[group]);
        EXPECT_EQ(f[1], group == "FASY" ? "2" : "1");
        EXPECT_DOUBLE_EQ(std::stod(f[2]), std::stod(uptake));
        EXPECT_EQ(f[3], cells);
        EXPECT_DOUBLE_EQ(std::stod(f[4]), std::stod(cells) * 0.25);
        EXPECT_NEAR(std::stod(f[5]), std::stod(share), 1e-8);
        EXPECT_DOUBLE_EQ(std::stod(f[6]), std::stod(shared) * 0.25);
    }
}
