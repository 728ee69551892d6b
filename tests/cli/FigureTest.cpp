// Vector figures from the command line, read back by the programs a reader
// of them would use: pdftotext, and pdftoppm and rsvg-convert to rasterise
// them at the picture's size.
#include <gtest/gtest.h>

#include <string>

#include "CliSupport.h"

namespace {

// Twelve by eight cells of uptake rising to the right, two labelled stems.
double Rising(int, int x, int y) {
    return x + 0.25 * y;
}

class FigureTest : public testing::Test {
  protected:
    TempDir dir;

    void SetUp() override {
        MakeGridTable("plot.db", {"Oak 1", "Birch 2"}, 12, 8, Rising);
        MakeStems("plot.db", {{"Oak 1", 3, 2, 0.4, 3}, {"Birch 2", 8, 5, 0.3, 2}});
    }

    void ExportFigure(const std::string& out, const std::string& layers,
                      const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"--size", "400x300", "--layers", layers};
        args.insert(args.end(), more.begin(), more.end());
        const ProgramRun run = Export(out, "plot.db", args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }

    // The figure rasterised at 400 x 300 pixels, as a PNG file.
    wxImage Rasterised(const std::string& figure) {
        const bool pdf = figure.size() > 4 && figure.substr(figure.size() - 4) == ".pdf";
        const ProgramRun run =
            pdf ? RunProgram("pdftoppm", {"-r", "72", "-png", "-singlefile", figure, "raster"})
                : RunProgram("rsvg-convert",
                             {"-w", "400", "-h", "300", figure, "-o", "raster.png"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return LoadPng("raster.png");
    }

    // The share of pixels of the same colour in both pictures.
    static double SameShare(const wxImage& a, const wxImage& b) {
        if (a.GetSize() != b.GetSize()) {
            return 0.0;
        }
        long same = 0;
        for (int y = 0; y < a.GetHeight(); ++y) {
            for (int x = 0; x < a.GetWidth(); ++x) {
                same += PixelAt(a, x, y) == PixelAt(b, x, y);
            }
        }
        return double(same) / (a.GetWidth() * a.GetHeight());
    }
};

}  // namespace

TEST_F(FigureTest, BlocksOfAFigureAreThePicturesOnBlack) {
    ExportFigure("blocks.png", "uptake-blocks,count-blocks");
    const wxImage png = LoadPng("blocks.png");
    for (const char* figure : {"blocks.svg", "blocks.pdf"}) {
        SCOPED_TRACE(figure);
        ExportFigure(figure, "uptake-blocks,count-blocks");
        const wxImage raster = Rasterised(figure);
        EXPECT_GE(SameShare(png, raster), 0.99);
        // The cell without uptake stays black, and black is not a hole.
        EXPECT_EQ(PixelAt(raster, 5, 5), kBlack);
        EXPECT_TRUE(!raster.HasAlpha() || raster.GetAlpha(5, 5) == 255);
    }
    EXPECT_EQ(ReadFile("blocks.svg").rfind("<?xml", 0), 0u);
    EXPECT_NE(ReadFile("blocks.svg").find("width=\"400px\""), std::string::npos);
    EXPECT_EQ(ReadFile("blocks.pdf").rfind("%PDF-", 0), 0u);
}

TEST_F(FigureTest, LabelsAndScaleAreTextAndTheLegendIsBeside) {
    ExportFigure("figure.pdf", "uptake-blocks,stem-labels,scale", {"--legend"});
    const ProgramRun text = RunProgram("pdftotext", {"figure.pdf", "-"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    for (const char* word : {"Oak 1", "Birch 2", "Total Nitrogen Uptake (blocks)"}) {
        EXPECT_NE(text.out.find(word), std::string::npos) << word << " in " << text.out;
    }
    ExportFigure("figure.png", "uptake-blocks,stem-labels,scale", {"--legend"});
    const wxImage png = LoadPng("figure.png");
    const wxImage raster = Rasterised("figure.pdf");
    // The strip's background at its bottom right corner, in both.
    EXPECT_EQ(PixelAt(png, 398, 298), (Rgb{32, 32, 32}));
    EXPECT_EQ(PixelAt(raster, 398, 298), (Rgb{32, 32, 32}));
    EXPECT_GE(SameShare(png, raster), 0.9);
}
