// Another program changes the grid of a plot that was opened before: the next
// opening draws the file as it is now, exactly as a first opening of the
// changed file would, and rebuilds only the index tables that are out of date.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CliSupport.h"

namespace {

const char* const kLayers =
    "uptake-blocks,count-blocks,uptake-isolines,count-isolines,stems-dbh,tree-blocks,"
    "tree-isolines";

double Uptake(int tree, int x, int y) {
    return tree == 2 ? 0.0 : 0.1 * ((x * 7 + y * 3 + tree * 5) % 11);
}

bool SamePixels(const wxImage& a, const wxImage& b) {
    return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
           std::equal(a.GetData(), a.GetData() + 3 * a.GetWidth() * a.GetHeight(), b.GetData());
}

// An edit, the reason the log gives, and how many tables it makes out of date.
struct Edit {
    const char* name;
    const char* sql;
    const char* reason;
    size_t outOfDate;
};

void PrintTo(const Edit& edit, std::ostream* out) {
    *out << edit.name;
}

class ChangedGridTest : public testing::TestWithParam<Edit> {
  protected:
    TempDir dir;

    void SetUp() override {
        MakeGridTable("plot.db", {"T1", "T2", "T3"}, 12, 10, Uptake);
        ExecSql("plot.db",
                "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
                "Crown_d_m double);"
                "INSERT INTO stem VALUES ('T1', 2, 2, 0.4, 3), ('T2', 8, 6, 0.5, 3);");
    }

    // The picture and the reading of a file, as `name`.png.
    std::pair<wxImage, std::string> Draw(const std::string& file, const std::string& name) {
        const ProgramRun run =
            Export(name + ".png", file,
                   {"--size", "240x200", "--layers", kLayers, "--stems", "T1", "--log-dir", "."});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const ProgramRun at = RunQuenvar({"--at", "4.5,3.5", "--stems", "T1", file});
        EXPECT_EQ(at.exitCode, 0) << at.err;
        return {LoadPng(name + ".png"), at.out};
    }

    // The same of a copy of the file as it is now, without Quenvar's tables.
    std::pair<wxImage, std::string> DrawFirstOpening(const std::string& file) {
        std::filesystem::remove("fresh.db");
        ExecSql(file, "VACUUM INTO 'fresh.db'");
        for (const std::string& table : OwnTables("fresh.db")) {
            ExecSql("fresh.db", "DROP TABLE " + table);
        }
        return Draw("fresh.db", "fresh");
    }

    std::vector<std::string> Rebuilt() {
        std::vector<std::string> lines;
        for (const std::string& line : ReadLines("console.log")) {
            if (line.find("Rebuilding the index table") != std::string::npos) {
                lines.push_back(line.substr(line.find("Rebuilding")));
            }
        }
        return lines;
    }
};

}  // namespace

TEST_P(ChangedGridTest, EditByAnotherProgramIsDrawnAfterReopening) {
    const auto before = Draw("plot.db", "before");
    ASSERT_TRUE(Rebuilt().empty());
    // Reopening an unchanged file writes nothing to it.
    const std::string bytes = ReadFile("plot.db");
    Draw("plot.db", "again");
    EXPECT_EQ(ReadFile("plot.db"), bytes);

    const ProgramRun edit = RunProgram("sqlite3", {"plot.db", GetParam().sql});
    ASSERT_EQ(edit.exitCode, 0) << edit.err;
    const auto after = Draw("plot.db", "after");
    const auto expected = DrawFirstOpening("plot.db");
    EXPECT_TRUE(SamePixels(after.first, expected.first));
    EXPECT_FALSE(SamePixels(after.first, before.first));
    EXPECT_EQ(after.second, expected.second);

    // The two plot-wide tables, and the tree's when its columns changed,
    // each once, with the reason.
    const std::vector<std::string> rebuilt = Rebuilt();
    ASSERT_EQ(rebuilt.size(), GetParam().outOfDate) << testing::PrintToString(rebuilt);
    EXPECT_EQ(rebuilt[0], "Rebuilding the index table _idx_grid_uptake_13365: " +
                              std::string(GetParam().reason) + ".");
    EXPECT_NE(rebuilt[1].find("_idx_grid_neighbor_13365: "), std::string::npos);
    Draw("plot.db", "last");
    EXPECT_EQ(Rebuilt().size(), GetParam().outOfDate);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ChangedGridTest,
    testing::Values(
        Edit{"Values", "UPDATE grid SET T1 = T1 * 3 + 0.5 WHERE x_coord < 6",
             "values in grid have changed since it was built", 3},
        Edit{"Rows", "DELETE FROM grid WHERE x_coord = 11 AND y_coord > 4",
             "rows were added to or removed from grid since it was built", 3},
        // The tree T1 reads none of the columns changed.
        Edit{"Columns",
             "ALTER TABLE grid RENAME COLUMN T2 TO T9; UPDATE grid SET T9 = 5 WHERE y_coord = 3",
             "columns of grid were added, removed or renamed since it was built", 2},
        Edit{"Replaced",
             "CREATE TABLE other AS SELECT gridcell_id, x_coord, y_coord, T3 AS T1, T2, T1 AS T3 "
             "FROM grid; DROP TABLE grid; ALTER TABLE other RENAME TO grid",
             "values in grid have changed since it was built", 3},
        // Tables built before the program recorded their sources.
        Edit{"Unrecorded", "DROP TABLE _db_sources; UPDATE grid SET T1 = 2 WHERE y_coord = 0",
             "there is no record of what grid held when it was built", 3}),
    [](const testing::TestParamInfo<Edit>& info) { return std::string(info.param.name); });

// A file in WAL mode keeps no change counter, so each opening reads it;
// the other program keeps its connection, and with it the log, open.
TEST_F(ChangedGridTest, WalFileEditedByAProgramThatKeepsItOpen) {
    const auto before = Draw("plot.db", "before");
    int ask[2];
    int done[2];
    ASSERT_EQ(pipe(ask), 0);
    ASSERT_EQ(pipe(done), 0);
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open("plot.db", &db);
        const char* const edits[] = {
            "PRAGMA journal_mode = WAL; UPDATE grid SET T1 = 4 WHERE "
            "x_coord = 3",
            "UPDATE grid SET T3 = 2 WHERE y_coord = 7"};
        char go = 0;
        for (const char* edit : edits) {
            char ok = read(ask[0], &go, 1) == 1 &&
                      sqlite3_exec(db, edit, nullptr, nullptr, nullptr) == SQLITE_OK;
            if (write(done[1], &ok, 1) != 1) {
                break;
            }
        }
        // Until the parent has looked, so that the log stays beside the file.
        if (read(ask[0], &go, 1) < 0) {
            _exit(1);
        }
        sqlite3_close(db);
        _exit(0);
    }
    std::pair<wxImage, std::string> last = before;
    for (int edit = 0; edit < 2; ++edit) {
        char ok = 0;
        ASSERT_EQ(write(ask[1], "e", 1), 1);
        ASSERT_EQ(read(done[0], &ok, 1), 1);
        ASSERT_EQ(ok, 1);
        ASSERT_TRUE(std::filesystem::exists("plot.db-wal"));
        const auto after = Draw("plot.db", "after");
        EXPECT_TRUE(SamePixels(after.first, DrawFirstOpening("plot.db").first)) << edit;
        EXPECT_FALSE(SamePixels(after.first, last.first)) << edit;
        last = after;
    }
    ASSERT_EQ(write(ask[1], "e", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
}

// A table found out of date in a file that cannot be written is not drawn.
TEST_F(ChangedGridTest, OutOfDateTableOfAReadOnlyFileIsNotDrawn) {
    Draw("plot.db", "before");
    ExecSql("plot.db", "UPDATE grid SET T1 = 7 WHERE x_coord = 0");
    // Even root cannot write an immutable file; without that right, skip.
    if (system("chattr +i plot.db 2>/dev/null") != 0) {
        GTEST_SKIP() << "cannot make a file read-only here";
    }
    struct Writable {
        ~Writable() { (void)system("chattr -i plot.db"); }
    } writableAgain;
    const std::string bytes = ReadFile("plot.db");
    const ProgramRun run = Export("out.png", "plot.db", {"--layers", "uptake-blocks"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("the file or its folder is read-only"), std::string::npos) << run.err;
    EXPECT_EQ(LitPixels(LoadPng("out.png")), 0);
    EXPECT_EQ(ReadFile("plot.db"), bytes);
}
