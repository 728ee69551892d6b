#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace {

CommandLine Parse(const std::vector<std::string>& args) {
    return ParseCommandLine(args);
}

// The error of a command line that must be refused.
std::string ErrorOf(const std::vector<std::string>& args) {
    const CommandLine line = Parse(args);
    EXPECT_EQ(line.mode, CommandMode::Error);
    return line.error;
}

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(CommandLine, WindowTakesNothingOrOneFile) {
    EXPECT_EQ(Parse({}).mode, CommandMode::Window);
    EXPECT_EQ(Parse({}).startFile, "");
    EXPECT_EQ(Parse({"plot.db"}).startFile, "plot.db");
    EXPECT_EQ(Parse({"--", "-odd.db"}).startFile, "-odd.db");
    EXPECT_TRUE(Mentions(ErrorOf({"a.db", "b.db"}), "more than one file"));
    // Export options without an export are a mistake, not something to ignore.
    EXPECT_TRUE(Mentions(ErrorOf({"--size", "10x10", "plot.db"}), "--size"));
}

TEST(CommandLine, WindowStartOptionsAreReadAsTheExportReadsThem) {
    const CommandLine line =
        Parse({"--layers", "scale,stems-dbh", "--stems", "T1,a\\,b", "--view", "1,2,3,4", "p.db"});
    ASSERT_EQ(line.mode, CommandMode::Window) << line.error;
    EXPECT_EQ(line.startFile, "p.db");
    ASSERT_EQ(line.request.picture.layers.size(), 2u);
    EXPECT_STREQ(line.request.picture.layers[1]->key, "stems-dbh");
    EXPECT_EQ(line.request.picture.stems, (std::vector<std::string>{"T1", "a,b"}));
    EXPECT_TRUE(line.request.picture.view.has_value());
    EXPECT_EQ(line.request.picture.view->yMax, 4.0);
    // The same refusals, in the same words.
    EXPECT_EQ(ErrorOf({"--layers", "nope", "p.db"}),
              ErrorOf({"--export", "o.png", "--layers", "nope", "p.db"}));
    EXPECT_EQ(ErrorOf({"--view", "3,0,1,1", "p.db"}),
              ErrorOf({"--export", "o.png", "--view", "3,0,1,1", "p.db"}));
    EXPECT_TRUE(Mentions(ErrorOf({"--stems", "T1"}), "needs the database file"));
    EXPECT_EQ(Parse({"--layers", "scale"}).mode, CommandMode::Window);
}

// The window shows its view in this form; read back it is the same view.
TEST(CommandLine, ViewArgumentReadsBackAsTheSameNumbers) {
    const double view[4] = {-0.1, 1.0 / 3, 12.375, 4e-7 + 35};
    const std::string text = ViewArgument(view[0], view[1], view[2], view[3]);
    const CommandLine line = Parse({"--export", "o.png", "--view", text, "p.db"});
    ASSERT_EQ(line.mode, CommandMode::Export) << text;
    EXPECT_EQ(line.request.picture.view->xMin, view[0]);
    EXPECT_EQ(line.request.picture.view->yMin, view[1]);
    EXPECT_EQ(line.request.picture.view->xMax, view[2]);
    EXPECT_EQ(line.request.picture.view->yMax, view[3]);
    EXPECT_EQ(ViewArgument(0, 0, 60, 40), "0,0,60,40");
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(Parse({"--help"}).mode, CommandMode::Help);
    EXPECT_EQ(Parse({"-h"}).mode, CommandMode::Help);
    EXPECT_EQ(Parse({"--export", "a.png", "--help"}).mode, CommandMode::Help);
    EXPECT_EQ(Parse({"--version", "plot.db"}).mode, CommandMode::Version);
    EXPECT_EQ(VersionText(), "Quenvar 0.27");
    EXPECT_TRUE(Mentions(ErrorOf({"--version=2"}), "takes no value"));
}

TEST(CommandLine, ExportWithDefaults) {
    const CommandLine line = Parse({"--export", "out.png", "plot.db"});
    ASSERT_EQ(line.mode, CommandMode::Export);
    EXPECT_EQ(line.request.outputPath, "out.png");
    EXPECT_EQ(line.request.databasePath, "plot.db");
    EXPECT_EQ(line.request.picture.width, 750);
    EXPECT_EQ(line.request.picture.height, 550);
    EXPECT_TRUE(line.request.picture.layers.empty());
    EXPECT_TRUE(line.request.picture.stems.empty());
    EXPECT_FALSE(line.request.picture.view.has_value());
}

TEST(CommandLine, ExportWithEveryOptionInEitherSpelling) {
    const CommandLine line =
        Parse({"plot.db", "--export=out.png", "--size", "320X200", "--layers=scale,tree-clouds",
               "--stems", "T1,a\\,b,c\\\\d", "--view", "-5.5,+1e1,60,4e1"});
    ASSERT_EQ(line.mode, CommandMode::Export) << line.error;
    const ExportRequest& request = line.request;
    EXPECT_EQ(request.outputPath, "out.png");
    EXPECT_EQ(request.databasePath, "plot.db");
    EXPECT_EQ(request.picture.width, 320);
    EXPECT_EQ(request.picture.height, 200);
    ASSERT_EQ(request.picture.layers.size(), 2u);
    EXPECT_EQ(request.picture.layers[0]->flag, 256u);
    EXPECT_EQ(request.picture.layers[1]->group, LayerGroup::Tree);
    EXPECT_EQ(request.picture.layers[1]->flag, 4u);
    EXPECT_EQ(request.picture.stems, (std::vector<std::string>{"T1", "a,b", "c\\d"}));
    EXPECT_TRUE(request.picture.view.has_value());
    EXPECT_EQ(request.picture.view->xMin, -5.5);
    EXPECT_EQ(request.picture.view->yMin, 10.0);
    EXPECT_EQ(request.picture.view->xMax, 60.0);
    EXPECT_EQ(request.picture.view->yMax, 40.0);
}

TEST(CommandLine, RepeatedLayersAndStemsCountOnce) {
    const CommandLine line = Parse(
        {"--export", "o.png", "--layers", "scale,stems-dbh,scale", "--stems", "T2,T1,T2", "p.db"});
    ASSERT_EQ(line.mode, CommandMode::Export);
    ASSERT_EQ(line.request.picture.layers.size(), 2u);
    EXPECT_EQ(line.request.picture.stems, (std::vector<std::string>{"T2", "T1"}));
    // An empty list chooses nothing.
    EXPECT_TRUE(Parse({"--export", "o.png", "--layers=", "p.db"}).request.picture.layers.empty());
}

TEST(CommandLine, EveryCatalogueKeyIsAccepted) {
    for (const LayerDef& layer : LayerCatalogue()) {
        const CommandLine line = Parse({"--export", "o.png", "--layers", layer.key, "--group-by",
                                        "sp", "--compare", "q.db", "p.db"});
        ASSERT_EQ(line.mode, CommandMode::Export) << layer.key;
        EXPECT_EQ(line.request.picture.layers.at(0), &layer);
    }
}

TEST(CommandLine, MistakesAreNamed) {
    EXPECT_TRUE(Mentions(ErrorOf({"--frobnicate"}), "\"--frobnicate\""));
    EXPECT_TRUE(Mentions(ErrorOf({"--export"}), "needs a value"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png"}), "database file"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png", "a.db", "b.db"}), "{name}"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o/{name}.png", "a.db", "o/a.db"}), "both"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png", "--layers", "uptake-diff-blocks", "a.db"}),
                         "--compare"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "", "a.db"}), "PNG"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png", "--size", "1x1", "--size", "2x2", "a.db"}),
                         "twice"));
    EXPECT_TRUE(
        Mentions(ErrorOf({"--export", "o.png", "--layers", "scale,blocks", "a.db"}), "\"blocks\""));
    EXPECT_TRUE(
        Mentions(ErrorOf({"--export", "o.png", "--layers", "scale,,scale", "a.db"}), "empty"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png", "--stems", "T1,", "a.db"}), "empty"));
    EXPECT_TRUE(Mentions(ErrorOf({"--export", "o.png", "--stems", "T1\\x", "a.db"}), "backslash"));
}

TEST(CommandLine, MalformedSizesAreRefused) {
    for (const char* size : {"", "750", "750x", "x550", "750x550x2", "75 0x550", "1.5x2", "-1x5",
                             "0x10", "10x0", "4097x10", "99999999999999999999x1"}) {
        SCOPED_TRACE(size);
        const std::string error = ErrorOf({"--export", "o.png", "--size", size, "a.db"});
        EXPECT_TRUE(Mentions(error, "--size")) << error;
    }
    EXPECT_EQ(Parse({"--export", "o.png", "--size", "4096x1", "a.db"}).request.picture.width, 4096);
}

TEST(CommandLine, MalformedViewsAreRefused) {
    for (const char* view : {"", "1,2,3", "1,2,3,4,5", "a,0,1,1", "0,0,1,1x", "0,0,nan,1",
                             "0,0,inf,1", "0,,1,1", "0 ,0,1,1", "1,0,1,1", "0,2,1,1"}) {
        SCOPED_TRACE(view);
        const std::string error = ErrorOf({"--export", "o.png", "--view", view, "a.db"});
        EXPECT_TRUE(Mentions(error, "--view")) << error;
    }
}

TEST(CommandLine, UsageListsEveryLayerKey) {
    const std::string usage = UsageText();
    EXPECT_EQ(usage.rfind("Usage: quenvar", 0), 0u);
    for (const LayerDef& layer : LayerCatalogue()) {
        EXPECT_TRUE(Mentions(usage, std::string("  ") + layer.key + " ")) << layer.key;
    }
    EXPECT_EQ(usage.back(), '\n');
}

TEST(CommandLine, ImportTakesThreeFilesAndForce) {
    const CommandLine line = Parse({"import", "g.csv", "s.csv", "out.db", "--force"});
    ASSERT_EQ(line.mode, CommandMode::Import);
    EXPECT_EQ(line.import.gridPath, "g.csv");
    EXPECT_EQ(line.import.stemsPath, "s.csv");
    EXPECT_EQ(line.import.outputPath, "out.db");
    EXPECT_TRUE(line.import.overwrite);
    EXPECT_FALSE(Parse({"import", "g.csv", "s.csv", "out.db"}).import.overwrite);
    EXPECT_TRUE(Mentions(ErrorOf({"import", "g.csv", "out.db"}), "needs three files"));
    EXPECT_TRUE(Mentions(ErrorOf({"import", "g", "s", "o", "--layers", "scale"}), "--layers"));
    const std::string at = ErrorOf({"import", "g", "s", "o", "--at", "1,2"});
    EXPECT_TRUE(Mentions(at, "--at cannot be used with import")) << at;
    EXPECT_FALSE(Mentions(at, "export")) << at;
    EXPECT_TRUE(Mentions(ErrorOf({"--force", "plot.db"}), "belongs to import"));
    EXPECT_TRUE(
        Mentions(ErrorOf({"--export", "a.png", "--force", "plot.db"}), "belongs to import"));
}

TEST(CommandLine, AtReadsAPointWithStemsAndIgnoresAColourScale) {
    const CommandLine line =
        Parse({"--at", "1.5,-2", "--stems", "T1,T2", "--palette", "viridis", "plot.db"});
    ASSERT_EQ(line.mode, CommandMode::At) << line.error;
    EXPECT_EQ(line.at.x, 1.5);
    EXPECT_EQ(line.at.y, -2);
    EXPECT_EQ(line.at.stems, (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(line.at.databasePath, "plot.db");
    EXPECT_TRUE(Mentions(ErrorOf({"--at", "1,2,3", "plot.db"}), "two numbers"));
    EXPECT_TRUE(Mentions(ErrorOf({"--at", "1,2", "--view", "0,0,1,1", "plot.db"}), "--view"));
    EXPECT_TRUE(Mentions(ErrorOf({"--at", "1,2"}), "database file"));
}

TEST(CommandLine, PaletteGoesToTheExportAndTheWindowAndLegendToTheExport) {
    const CommandLine window = Parse({"--palette", "cividis", "plot.db"});
    ASSERT_EQ(window.mode, CommandMode::Window);
    EXPECT_EQ(window.request.picture.palette, PaletteOption::Cividis);
    const CommandLine line = Parse({"--export", "a.png", "--palette=builtin", "--legend", "p.db"});
    ASSERT_EQ(line.mode, CommandMode::Export);
    EXPECT_EQ(line.request.picture.palette, PaletteOption::BuiltIn);
    EXPECT_TRUE(line.request.picture.legend);
    EXPECT_TRUE(Mentions(ErrorOf({"--palette", "jet", "p.db"}), "viridis"));
    EXPECT_TRUE(Mentions(ErrorOf({"--legend", "p.db"}), "belongs to the export"));
}

TEST(CommandLine, RangesGoToTheExportAndTheWindowOncePerFamily) {
    const CommandLine line =
        Parse({"--export", "a.png", "--range", "tree=-1.5,2", "--range=uptake=0,1e3", "p.db"});
    ASSERT_EQ(line.mode, CommandMode::Export) << line.error;
    const auto& ranges = line.request.picture.ranges;
    EXPECT_FALSE(ranges[size_t(RangeFamily::TreeCount)].has_value());
    EXPECT_EQ(ranges[size_t(RangeFamily::Tree)]->min, -1.5);
    EXPECT_EQ(ranges[size_t(RangeFamily::Uptake)]->max, 1000.0);
    EXPECT_TRUE(Parse({"--range", "count=0,5", "p.db"}).request.picture.ranges[1].has_value());
    for (const char* bad : {"uptake=1", "uptake=a,2", "height=0,1", "uptake", "uptake=0,1,2"}) {
        EXPECT_TRUE(Mentions(ErrorOf({"--range", bad, "p.db"}), "malformed --range")) << bad;
    }
    EXPECT_TRUE(Mentions(ErrorOf({"--range", "count=3,3", "p.db"}), "MIN must be below MAX"));
    EXPECT_TRUE(Mentions(ErrorOf({"--range", "tree=0,1", "--range", "tree=0,2", "p.db"}),
                         "--range tree is given twice"));
}

TEST(CommandLine, StatsTakesFilesAndItsOwnOptions) {
    const CommandLine line =
        Parse({"stats", "p.db", "--trees", "T2,a\\,b,T2", "--output=o.csv", "--overlap"});
    ASSERT_EQ(line.mode, CommandMode::Stats) << line.error;
    EXPECT_EQ(line.stats.databasePath, "p.db");
    EXPECT_EQ(line.stats.trees, (std::vector<std::string>{"T2", "a,b"}));
    EXPECT_EQ(line.stats.outputPath, "o.csv");
    EXPECT_TRUE(line.stats.overlap);
    EXPECT_TRUE(Mentions(ErrorOf({"stats"}), "needs a database file"));
    EXPECT_EQ(Parse({"stats", "a.db", "b.db"}).stats.series.size(), 2u);
    EXPECT_TRUE(Mentions(ErrorOf({"stats", "a.db", "b.db", "--overlap"}), "one database file"));
    EXPECT_TRUE(
        Mentions(ErrorOf({"stats", "p.db", "--layers", "scale"}), "cannot be used with stats"));
    EXPECT_TRUE(Mentions(ErrorOf({"stats", "p.db", "--trees", "a,,b"}), "empty tree label"));
    EXPECT_TRUE(Mentions(ErrorOf({"--overlap", "p.db"}), "belongs to stats"));
    EXPECT_TRUE(
        Mentions(ErrorOf({"--export", "o.png", "--trees", "T1", "p.db"}), "belongs to stats"));
}
