// The README's own example must keep working: its sqlite3 commands make a
// plot that opens, and its export command draws it.
#include <gtest/gtest.h>

#include <sstream>

#include "CliSupport.h"
#include "data/PlotFile.h"

namespace {

const char* const kSqlStart = "sqlite3 myplot.db <<'EOF'";
const char* const kExportStart = "quenvar --export myplot.png";

// The README's lines from the one after the start to the one before the end.
std::string Between(const std::vector<std::string>& lines, const std::string& start,
                    const std::string& end) {
    std::string text;
    bool inside = false;
    for (const std::string& line : lines) {
        if (inside && line == end) {
            return text;
        }
        if (inside) {
            text += line + "\n";
        }
        inside = inside || line == start;
    }
    ADD_FAILURE() << "no block from \"" << start << "\" to \"" << end << "\" in the README";
    return std::string();
}

// The arguments of the README's export command, after the program's name.
std::vector<std::string> ExportArguments(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const size_t at = line.find(kExportStart);
        if (at == std::string::npos) {
            continue;
        }
        std::vector<std::string> args;
        std::istringstream words(line.substr(at + std::string("quenvar").size()));
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        return args;
    }
    ADD_FAILURE() << "no export command in the README";
    return {};
}

}  // namespace

TEST(ReadmeExample, MakesAPlotThatOpensAndExports) {
    TempDir dir;
    const std::vector<std::string> readme = ReadLines(QUENVAR_SOURCE_DIR "/README.md");
    ASSERT_FALSE(readme.empty());
    const std::string sql = Between(readme, kSqlStart, "EOF");
    ASSERT_FALSE(sql.empty());
    ExecSql("myplot.db", sql);

    {
        PlotFile plot("myplot.db", ProgressMonitor(0, 0));
        ASSERT_EQ(plot.GetOpening().status, PlotOpening::Status::Accepted)
            << plot.GetOpening().problem.utf8_str().data();
        EXPECT_EQ(plot.GetTreeNames().size(), 2u);
        EXPECT_EQ(plot.GetStemAttributeNames().size(), 3u);
        // Every uptake value is read as a real, so none is cut to a whole number.
        UptakeGridData* uptake = plot.GetUptakeGrid();
        double sum = 0.0;
        for (uptake->First(); uptake->IsValid(); uptake->Next()) {
            sum += uptake->GetValue();
        }
        uptake->Close();
        EXPECT_NE(sum, double(long(sum)));
    }

    const std::vector<std::string> args = ExportArguments(readme);
    ASSERT_FALSE(args.empty());
    const ProgramRun run = RunQuenvar(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(LitPixels(LoadPng("myplot.png")), 1000);
}
