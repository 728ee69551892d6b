// Odd, damaged and foreign files given to the export and to the viewer's data
// set: each is drawn as far as its data go or refused with a clear message.
// A refused file keeps its bytes; an accepted one gains only Quenvar's own
// tables, its own tables keep their schema and rows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CliSupport.h"
#include "data/PlotGenerator.h"
#include "db/SqlText.h"
#include "render/LayerTable.h"
#include "render/RenderHelper.h"

namespace {

// Every layer that needs no grouping of the trees (no stem column to group by).
std::string AllLayerKeys() {
    std::string keys;
    for (const LayerDef& layer : LayerCatalogue()) {
        if (NeedsGrouping(layer) || IsChangeLayer(layer)) {
            continue;  // these need a stem column to group by, or a second plot
        }
        keys += (keys.empty() ? "" : ",") + std::string(layer.key);
    }
    return keys;
}

// A label as --stems takes it: commas and backslashes escaped.
std::string StemList(const std::vector<std::string>& labels) {
    std::string list;
    for (const std::string& label : labels) {
        if (!list.empty()) {
            list += ",";
        }
        for (char c : label) {
            if (c == ',' || c == '\\') {
                list += '\\';
            }
            list += c;
        }
    }
    return list;
}

const std::string kStemTable =
    "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, Crown_d_m double);";

class BadFileTest : public testing::Test {
  protected:
    TempDir dir;
    const std::string path = "plot.db";

    ProgramRun ExportAll(const std::vector<std::string>& stems = {},
                         const std::string& layers = AllLayerKeys()) {
        std::vector<std::string> args = {"--size", "300x200", "--layers", layers};
        if (!stems.empty()) {
            args.insert(args.end(), {"--stems", StemList(stems)});
        }
        return Export("out.png", path, args);
    }

    // What the viewer asks of a file: opened, every layer drawn with every
    // tree selected, the inspector's questions answered.
    PlotOpening::Status ViewerDraws() {
        auto plot =
            std::make_unique<PlotFile>(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
        const PlotOpening opening = plot->GetOpening();
        if (opening.status == PlotOpening::Status::Refused) {
            EXPECT_FALSE(opening.problem.empty());
            return opening.status;
        }
        RenderHelper helper(std::move(plot));
        uint32_t plotFlags = LAYER_HIGHLIGHT;
        for (const LayerDef& layer : LayerCatalogue()) {
            plotFlags |= layer.group == LayerGroup::Plot ? layer.flag : 0;
        }
        for (const wxString& tree : helper.GetTreeNames()) {
            helper.AddHighlightedStem(tree);
            EXPECT_TRUE(helper.RenderStemLayers(7, tree, 300, 200).IsOk());
            for (const wxString& attribute : helper.GetStemAttributeNames()) {
                helper.GetStemValue(tree, attribute);
            }
        }
        EXPECT_TRUE(helper.RenderPlotLayers(plotFlags, 300, 200).IsOk());
        helper.FindNearestStem(0, 0);
        return opening.status;
    }

    void ExpectRefused(const std::string& mention) {
        const std::string before = ReadFile(path);
        const ProgramRun run = ExportAll();
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.err.rfind("quenvar: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists("out.png"));
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(ViewerDraws(), PlotOpening::Status::Refused);
        EXPECT_EQ(ReadFile(path), before);
    }

    // The exported picture of every layer with the given stems selected;
    // warned: what standard error must say.
    wxImage ExpectAccepted(const std::vector<std::string>& stems = {},
                           const std::string& layers = AllLayerKeys(),
                           const std::string& warned = "") {
        const auto before = UserTables(path);
        const ProgramRun run = ExportAll(stems, layers);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, warned);
        EXPECT_EQ(UserTables(path), before);
        const std::vector<std::string> own = OwnTables(path);
        for (const char* table : {"_db_aggregations", "_db_indexes", "_db_info"}) {
            EXPECT_NE(std::find(own.begin(), own.end(), table), own.end()) << table;
        }
        EXPECT_EQ(ViewerDraws(), PlotOpening::Status::Accepted);
        EXPECT_EQ(UserTables(path), before);
        return run.exitCode == 0 ? LoadPng("out.png") : wxImage();
    }
};

}  // namespace

TEST_F(BadFileTest, FilesThatAreNoPlotDatabaseAreRefused) {
    WriteFile(path, "gridcell_id,x_coord,y_coord,T1\n1,0,0,0.5\n");
    ExpectRefused("not an SQLite database");
    WriteFile(path, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    ExpectRefused("not an SQLite database");
    // The right signature on a page of nonsense.
    std::string page(4096, '\x5a');
    page.replace(0, 16, std::string("SQLite format 3\0", 16));
    WriteFile(path, page);
    ExpectRefused("not an SQLite database");
    // SQLite takes an empty file for an empty database: it has no plot data.
    WriteFile(path, "");
    ExpectRefused("no plot data");
}

// Reading a pipe would wait for a writer for ever; a device has no size and
// would pass for an empty database.
TEST_F(BadFileTest, PipesAndDevicesAreRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo("pipe.db", 0600), 0);
    for (const char* file : {"pipe.db", "/dev/zero", "/dev/null"}) {
        SCOPED_TRACE(file);
        const ProgramRun run = Export("out.png", file);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
        PlotFile plot(file, ProgressMonitor(0, 0));
        EXPECT_EQ(plot.GetOpening().status, PlotOpening::Status::Refused);
    }
    EXPECT_FALSE(std::filesystem::exists("out.png"));
}

TEST_F(BadFileTest, TruncatedDatabasesAreRefused) {
    PlotRequest request;
    request.width = 30;
    request.height = 20;
    request.trees = 12;
    std::string error;
    ASSERT_TRUE(WritePlot("whole.db", request, error)) << error;
    const std::string whole = ReadFile("whole.db");
    ASSERT_GT(whole.size(), 20000u);
    // Inside the header, at a page boundary, inside a page, one byte short.
    for (size_t size :
         {size_t(60), size_t(4096), whole.size() / 3, whole.size() - 3000, whole.size() - 1}) {
        SCOPED_TRACE(size);
        WriteFile(path, whole.substr(0, size));
        ExpectRefused("damaged");
    }
}

TEST_F(BadFileTest, EmptyGridAndStemTables) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, T1 double);" +
                kStemTable);
    EXPECT_EQ(LitPixels(ExpectAccepted()), 0);
}

TEST_F(BadFileTest, GridWithFewerThanThreeColumns) {
    ExecSql(path,
            "CREATE TABLE grid (x_coord double, y_coord double);"
            "INSERT INTO grid VALUES (0, 0), (1, 0), (0, 1), (1, 1);" +
                kStemTable + "INSERT INTO stem VALUES ('T1', 0.5, 0.5, 0.2, 1.0);");
    EXPECT_GT(LitPixels(ExpectAccepted({"T1"})), 0);
    // A grid of a single column has no coordinates at all.
    std::filesystem::remove(path);
    ExecSql(path, "CREATE TABLE grid (v double); INSERT INTO grid VALUES (1), (2);");
    ExpectAccepted();
}

TEST_F(BadFileTest, ValueColumnsHoldingTextOrNull) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id, x_coord, y_coord, T1, T2);"
            "INSERT INTO grid VALUES (1, 0, 0, 'abc', NULL);"
            "INSERT INTO grid VALUES (2, 1, 0, NULL, 2.5);"
            "INSERT INTO grid VALUES (3, NULL, 'x', '1.5', 'lots');"
            "INSERT INTO grid VALUES (4, 1, 1, 'Inf', '-1e400');" +
                kStemTable +
                "INSERT INTO stem VALUES ('T1', 'far', NULL, 'thick', X'00ff');"
                "INSERT INTO stem VALUES ('T2', 1, 1, NULL, -1);");
    // Texts that hold no number count as no uptake, and are named once per column.
    const std::string warning = "quenvar: warning: \"plot.db\": the column ";
    const std::string counts = "); such values count as no uptake\n";
    ExpectAccepted(
        {"T1", "T2"}, AllLayerKeys(),
        warning + "\"T1\" of grid holds text that is not a number (\"abc\", first in row 1" +
            counts + warning +
            "\"T2\" of grid holds text that is not a number (\"lots\", first in row 3" + counts);
}

TEST_F(BadFileTest, DuplicateCellsAndASingleCell) {
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, T1 double);"
            "INSERT INTO grid VALUES (1, 0, 0, 1.0), (2, 0, 0, 2.0), (3, 1, 0, 4.0),"
            " (4, 1, 0, 4.0);" +
                kStemTable + "INSERT INTO stem VALUES ('T1', 0.5, 0.5, 0.2, 1.0);");
    EXPECT_GT(LitPixels(ExpectAccepted({"T1"})), 0);

    std::filesystem::remove(path);
    ExecSql(path,
            "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, T1 double);"
            "INSERT INTO grid VALUES (1, 3, 4, 1.0);" +
                kStemTable + "INSERT INTO stem VALUES ('T1', 3, 4, 0.2, 1.0);");
    ExpectAccepted({"T1"});
}

TEST_F(BadFileTest, AsManyTreesAsSQLiteAllowsColumns) {
    std::vector<std::string> trees;
    for (int t = 1; t <= kMaxPlotTrees; ++t) {
        trees.push_back("T" + std::to_string(t));
    }
    MakeGridTable(path, trees, 3, 2, [](int tree, int x, int y) {
        return (tree + x + y) % 7 == 0 ? 0.5 * (tree % 5 + 1) : 0.0;
    });
    ExecSql(path, kStemTable +
                      "INSERT INTO stem VALUES ('T1997', 1, 1, 0.1, 1.0);"
                      "INSERT INTO stem VALUES ('T1', 0, 0, 0.1, 1.0);");
    ASSERT_EQ(QueryColumn(path, "SELECT count(*) FROM pragma_table_info('grid')"),
              std::vector<std::string>{"2000"});
    const wxImage picture = ExpectAccepted({"T1997", "T1"});
    EXPECT_GT(LitPixels(picture), 1000);
}

TEST_F(BadFileTest, LabelsWithSpacesQuotesBackquotesCommasAndOtherScripts) {
    // Each tree has uptake in one cell of its own, along a row of cells.
    const std::vector<std::string> labels = {
        "Tree 1", "O'Brien", "say \"hi\"", "a`b", "Берёза обыкновенная", "x,y", "back\\slash"};
    MakeGridTable(path, labels, int(labels.size()), 1,
                  [](int tree, int x, int) { return tree == x ? 2.0 : 0.0; });
    std::string stems = kStemTable;
    for (size_t i = 0; i < labels.size(); ++i) {
        stems += "INSERT INTO stem VALUES (" + SqlLiteral(labels[i]) + ", " + std::to_string(i) +
                 ", 0, 0.2, 1.0);";
    }
    ExecSql(path, stems);
    // The trees' own blocks only: every tree's cell must show.
    const wxImage picture = ExpectAccepted(labels, "tree-blocks");
    ASSERT_TRUE(picture.IsOk());
    // The view runs from 0 to 6, and one cell more is drawn: seven cells over
    // 300 pixels. The centre of each.
    for (size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i]);
        const int x = int((i + 0.5) * 300 / 7);
        EXPECT_NE(PixelAt(picture, x, 50), kBlack);
    }
}

TEST_F(BadFileTest, StemsOutsideTheGridWidenThePicture) {
    MakeGridTable(path, {"T1"}, 2, 2, [](int, int x, int y) { return double(1 + x + y); });
    ExecSql(path, kStemTable + "INSERT INTO stem VALUES ('T1', -30, 40, 0.5, 4.0);");
    const wxImage picture = ExpectAccepted({}, "uptake-blocks,stems-plain");
    // The full extent runs from -30 to 1 along x and 0 to 40 along y: the
    // stem sits at the left end of the bottom edge, the cells at the top right.
    EXPECT_EQ(PixelAt(picture, 2, 198), (Rgb{200, 100, 0}));
    EXPECT_NE(PixelAt(picture, 298, 2), kBlack);
}

TEST_F(BadFileTest, StemsWithoutDiameterColumns) {
    MakeGridTable(path, {"T1"}, 2, 2, [](int, int x, int y) { return double(1 + x + y); });
    ExecSql(path,
            "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, species TEXT);"
            "INSERT INTO stem VALUES ('T1', 0.5, 0.5, 'Fagus');");
    // Crown and DBH circles have no size to draw; the highlight neither.
    EXPECT_EQ(LitPixels(ExpectAccepted({"T1"}, "stems-crown,stems-dbh")), 0);
    EXPECT_GT(LitPixels(ExpectAccepted({"T1"}, "stems-plain")), 0);
}

TEST_F(BadFileTest, ReadOnlyFileIsDrawnWithoutItsIndexTablesAndKeepsItsBytes) {
    MakeGridTable(path, {"T1"}, 3, 3, [](int, int x, int y) { return double(1 + x * y); });
    ExecSql(path, kStemTable + "INSERT INTO stem VALUES ('T1', 1.5, 1.5, 0.3, 1.0);");
    // Even root cannot write an immutable file; without that right, skip.
    if (system("chattr +i plot.db 2>/dev/null") != 0) {
        GTEST_SKIP() << "cannot make a file read-only here";
    }
    struct Writable {
        ~Writable() { (void)system("chattr -i plot.db"); }
    } writableAgain;
    const std::string before = ReadFile(path);
    const ProgramRun run = ExportAll({"T1"}, "uptake-blocks,stems-plain,tree-blocks");
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("cannot be written: the file or its folder is read-only"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("without the layers uptake-blocks, tree-blocks (T1)\n"),
              std::string::npos)
        << run.err;
    // The stems are there, the blocks (which need the index tables) are not.
    const wxImage picture = LoadPng("out.png");
    EXPECT_EQ(PixelAt(picture, 225, 150), kWhite);
    EXPECT_EQ(PixelAt(picture, 20, 20), kBlack);
    EXPECT_EQ(ViewerDraws(), PlotOpening::Status::Partial);
    EXPECT_EQ(ReadFile(path), before);

    // Once its index tables were built, a read-only file draws in full.
    (void)system("chattr -i plot.db");
    const ProgramRun writable = ExportAll({"T1"}, "uptake-blocks,stems-plain");
    ASSERT_EQ(writable.exitCode, 0) << writable.err;
    const std::string indexed = ReadFile(path);
    ASSERT_EQ(system("chattr +i plot.db"), 0);
    std::filesystem::rename("out.png", "writable.png");
    const ProgramRun again = ExportAll({"T1"}, "uptake-blocks,stems-plain");
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(again.err.empty()) << again.err;
    EXPECT_EQ(ReadFile("out.png"), ReadFile("writable.png"));
    EXPECT_NE(PixelAt(LoadPng("out.png"), 20, 20), kBlack);
    EXPECT_EQ(ReadFile(path), indexed);
}

TEST_F(BadFileTest, GridAndStemAsViewsAreDrawnLikeTables) {
    const std::string layers = "uptake-blocks,count-isolines,stems-crown,stem-labels,tree-blocks";
    MakeGridTable(path, {"T1", "T2"}, 6, 5, [](int t, int x, int y) { return double(t + x * y); });
    ExecSql(path,
            kStemTable + "INSERT INTO stem VALUES ('T1', 1, 1, 0.3, 2), ('T2', 4, 3, 0.5, 3);");
    ASSERT_EQ(ExportAll({"T2"}, layers).exitCode, 0);
    std::filesystem::rename("out.png", "tables.png");

    // The same plot as a selection of larger tables under other column names.
    std::filesystem::remove(path);
    MakeGridTable(path, {"a", "b"}, 8, 5, [](int t, int x, int y) { return double(t + x * y); });
    ExecSql(
        path,
        "ALTER TABLE grid RENAME TO survey;"
        "CREATE VIEW grid (gridcell_id, x_coord, y_coord, T1, T2) AS SELECT gridcell_id, "
        "x_coord, y_coord, a, b FROM survey WHERE x_coord < 6;"
        "CREATE TABLE trees (name TEXT, x double, y double, d double, crown double);"
        "INSERT INTO trees VALUES ('T1', 1, 1, 0.3, 2), ('T2', 4, 3, 0.5, 3), ('T9', 7, 4, 1, 9);"
        "CREATE VIEW stem (Tree, Xrot0, Yrot0, dbh, Crown_d_m) AS SELECT * FROM trees WHERE "
        "name != 'T9';");
    ASSERT_EQ(ExportAll({"T2"}, layers).exitCode, 0);
    const wxImage views = LoadPng("out.png");
    const wxImage tables = LoadPng("tables.png");
    ASSERT_EQ(views.GetSize(), tables.GetSize());
    EXPECT_TRUE(std::equal(views.GetData(), views.GetData() + 3 * 300 * 200, tables.GetData()));
    // The index tables are ordinary tables of the file.
    const std::vector<std::string> own = OwnTables(path);
    EXPECT_NE(std::find(own.begin(), own.end(), "_idx_grid_uptake_13365"), own.end());
}

TEST_F(BadFileTest, DamagedFreeSpaceIsNamedWithSQLitesOwnMessage) {
    MakeGridTable(path, {"T1"}, 4, 4, [](int, int x, int y) { return double(x + y); });
    ExecSql(path, kStemTable +
                      "CREATE TABLE scratch (a); INSERT INTO scratch "
                      "VALUES (randomblob(40000)); DROP TABLE scratch;");
    // The first page of the free list is overwritten: nothing can be added
    // to the file, while everything in it still reads.
    std::string bytes = ReadFile(path);
    const size_t trunk = (uint8_t(bytes[32]) << 24 | uint8_t(bytes[33]) << 16 |
                          uint8_t(bytes[34]) << 8 | uint8_t(bytes[35]));
    ASSERT_GT(trunk, 1u);
    std::fill_n(bytes.begin() + (trunk - 1) * 4096, 4096, '\xff');
    WriteFile(path, bytes);
    const auto before = UserTables(path);
    const ProgramRun run = ExportAll({}, "uptake-blocks,stems-plain");
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("because the file is damaged (SQLite says: database disk image is "
                           "malformed)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(".recover"), std::string::npos) << run.err;
    EXPECT_EQ(UserTables(path), before);
}
