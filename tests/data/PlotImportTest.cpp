#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "TestSupport.h"
#include "data/PlotTables.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kStems = "Tree,Xrot0,Yrot0\nOak,0.5,0.5\nBirch,1.5,0.5\n";

// What the reading keeps, and the grid it hands on.
struct ImportedPlot : PlotTables, GridSink {
    std::vector<long long> cellIds;
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> uptake;  // cell by cell, one value per tree

    bool StartGrid(const std::vector<std::string>&) override { return true; }
    bool AddCell(long long id, double x, double y, const double* values) override {
        cellIds.push_back(id);
        xs.push_back(x);
        ys.push_back(y);
        uptake.insert(uptake.end(), values, values + trees.size());
        return true;
    }
};

class PlotImportTest : public testing::Test {
  protected:
    TempDir dir;

    ImportedPlot Read(const std::string& grid, const std::string& stems = kStems) {
        WriteFile("grid.csv", grid);
        WriteFile("stems.csv", stems);
        return ReadFiles("grid.csv", "stems.csv");
    }
    ImportedPlot ReadFiles(const std::string& grid, const std::string& stems) {
        ImportedPlot plot;
        std::string error;
        EXPECT_TRUE(ReadPlotTables(grid, stems, plot, plot, error)) << error;
        return plot;
    }
    std::string Refusal(const std::string& grid, const std::string& stems = kStems) {
        WriteFile("grid.csv", grid);
        WriteFile("stems.csv", stems);
        ImportedPlot plot;
        std::string error;
        EXPECT_FALSE(ReadPlotTables("grid.csv", "stems.csv", plot, plot, error));
        return error;
    }
};

}  // namespace

TEST_F(PlotImportTest, WideAndLongGiveTheSameGrid) {
    const ImportedPlot wide = Read(
        "x_coord,y_coord,Oak,Birch\n"
        "0,0,0.8,0\n1,0,0.5,0.25\n0,1,0,0.125\n");
    // Any column order, tab separated, byte-order mark, CRLF; Oak is missing from the last cell.
    const ImportedPlot longer = Read(
        "\xEF\xBB\xBFTree\tuptake\ty_coord\tx_coord\r\n"
        "Oak\t0.8\t0\t0\r\nBirch\t0\t0\t0\r\nOak\t0.5\t0\t1\r\n"
        "Birch\t0.25\t0\t1\r\nBirch\t0.125\t1\t0\r\n");
    for (const ImportedPlot* tables : {&wide, &longer}) {
        EXPECT_EQ(tables->trees, (Strings{"Oak", "Birch"}));
        EXPECT_EQ(tables->cellIds, (std::vector<long long>{1, 2, 3}));
        EXPECT_EQ(tables->xs, (std::vector<double>{0, 1, 0}));
        EXPECT_EQ(tables->ys, (std::vector<double>{0, 0, 1}));
        EXPECT_EQ(tables->uptake, (std::vector<double>{0.8, 0, 0.5, 0.25, 0, 0.125}));
        EXPECT_TRUE(tables->warnings.empty());
    }
}

TEST_F(PlotImportTest, QuotedLabelsDecimalCommasAndTypedStemColumns) {
    const ImportedPlot tables =
        Read("gridcell_id;x_coord;y_coord;\"Oak; \"\"big\"\"\"\n7;0;0;0,5\n9;1;0;1\n",
             "height,Tree,species,Yrot0,Xrot0,age\n"
             "21.5,\"Oak; \"\"big\"\"\",Quercus,0.5,0.5,NA\n,Ash,\"Fraxinus, ex.\",1,1,40\n");
    EXPECT_EQ(tables.trees, Strings{"Oak; \"big\""});
    EXPECT_EQ(tables.cellIds, (std::vector<long long>{7, 9}));
    EXPECT_EQ(tables.uptake, (std::vector<double>{0.5, 1}));
    // Tree and the position come first; missing numbers become -1.
    ASSERT_EQ(tables.stems.size(), 6u);
    Strings names;
    for (const StemColumn& column : tables.stems) {
        names.push_back(column.name + (column.numeric ? ":real" : ":text"));
    }
    EXPECT_EQ(names, (Strings{"Tree:text", "Xrot0:real", "Yrot0:real", "height:real",
                              "species:text", "age:real"}));
    EXPECT_EQ(tables.stems[3].numbers, (std::vector<double>{21.5, -1}));
    EXPECT_EQ(tables.stems[4].texts, (Strings{"Quercus", "Fraxinus, ex."}));
    EXPECT_EQ(tables.stems[5].numbers, (std::vector<double>{-1, 40}));
    EXPECT_EQ(tables.warnings, Strings{"1 stem has no grid column: \"Ash\""});
}

TEST_F(PlotImportTest, WarnsOfTreesWithoutStemsStemsWithoutColumnsAndUnevenCells) {
    const ImportedPlot tables =
        Read("x_coord,y_coord,Oak,Elm\n0,0,1,1\n1,0,1,1\n2.5,0,1,1\n0,2,1,1\n",
             "Tree,Xrot0,Yrot0\nOak,0,0\nAsh,1,1\n");
    EXPECT_EQ(tables.warnings,
              (Strings{"1 tree of the grid has no stem row: \"Elm\"",
                       "1 stem has no grid column: \"Ash\"",
                       "the x_coord values are not evenly spaced: 1 to 2.5 is no whole number of "
                       "steps of 1",
                       "the cells are 1 apart along x_coord but 2 along y_coord; the plot is "
                       "drawn with square cells"}));
}

const char* const kCleanGrid =
    "x_coord,y_coord,Oak,Birch\n0,0,0.8,0.1\n1,0,0.5,0.25\n0,1,0.3,0.125\n";
const char* const kCleanStems = "Tree,Xrot0,Yrot0,dbh\nOak,0.5,0.5,0.3\nBirch,1.5,0.5,0.2\n";

void ExpectSameCellsAndStems(const ImportedPlot& plot, const ImportedPlot& clean) {
    EXPECT_EQ(plot.trees, clean.trees);
    EXPECT_EQ(plot.cellIds, clean.cellIds);
    EXPECT_EQ(plot.xs, clean.xs);
    EXPECT_EQ(plot.ys, clean.ys);
    ASSERT_EQ(plot.stems.size(), clean.stems.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(plot.stems[i].texts, clean.stems[i].texts);
        EXPECT_EQ(plot.stems[i].numbers, clean.stems[i].numbers);
    }
}

TEST_F(PlotImportTest, RAndPandasFilesGiveTheCleanPlotWithMissingValuesAsNone) {
    const ImportedPlot clean = Read(kCleanGrid, kCleanStems);
    // R's write.csv: everything quoted but numbers, row names from 1, NA.
    const ImportedPlot r = Read(
        "\"\",\"x_coord\",\"y_coord\",\"Oak\",\"Birch\"\n\"1\",0,0,0.8,0.1\n\"2\",1,0,NA,0.25\n"
        "\"3\",0,1,0.3,0.125\n",
        "\"\",\"Tree\",\"Xrot0\",\"Yrot0\",\"dbh\"\n\"1\",\"Oak\",0.5,0.5,0.3\n"
        "\"2\",\"Birch\",1.5,0.5,NA\n");
    // pandas' to_csv: an index from 0, empty fields and NaN; read back, "Unnamed: 0".
    const ImportedPlot pandas =
        Read(",x_coord,y_coord,Oak,Birch\n0,0,0,0.8,0.1\n1,1,0,,0.25\n2,0,1,0.3,NaN\n",
             "Unnamed: 0,Tree,Xrot0,Yrot0,dbh\n0,Oak,0.5,0.5,0.3\n1,Birch,1.5,0.5,0.2\n");
    ExpectSameCellsAndStems(r, clean);
    ExpectSameCellsAndStems(pandas, clean);
    EXPECT_EQ(r.uptake, (std::vector<double>{0.8, 0.1, 0, 0.25, 0.3, 0.125}));
    EXPECT_EQ(pandas.uptake, (std::vector<double>{0.8, 0.1, 0, 0.25, 0.3, 0}));
    EXPECT_EQ(r.stems[3].numbers, (std::vector<double>{0.3, -1}));
    EXPECT_EQ(pandas.stems[3].numbers, clean.stems[3].numbers);
    EXPECT_EQ(r.warnings,
              (Strings{"grid.csv: column 1, without a name, holds the row numbers 1 to 3 and is "
                       "left out",
                       "grid.csv: 1 missing uptake value (NA, NaN or empty) is stored as 0, as no "
                       "uptake, on line 3, field \"Oak\"",
                       "stems.csv: column 1, without a name, holds the row numbers 1 to 2 and is "
                       "left out"}));
    EXPECT_EQ(pandas.warnings[1],
              "grid.csv: 2 missing uptake values (NA, NaN or empty) are stored as 0, as no "
              "uptake, the first on line 3, field \"Oak\"");
    EXPECT_EQ(pandas.warnings[2],
              "stems.csv: column 1, \"Unnamed: 0\", holds the row numbers 0 to 1 and is left out");
}

// Such a byte once ended the file quietly, and the rows after it were lost.
TEST_F(PlotImportTest, AZeroByteIsRefusedAndDoesNotEndTheFile) {
    using namespace std::string_literals;
    EXPECT_EQ(Refusal("x_coord,y_coord,Oak\n0,0,1\n1,0,0\0\n2,0,1\n"s),
              "grid.csv, line 3: a zero byte, which no text holds: this is not a text file, or "
              "UTF-16 text without its byte-order mark");
}

void WriteGzip(const std::string& path, const std::string& text) {
    gzFile file = gzopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    EXPECT_EQ(gzwrite(file, text.data(), unsigned(text.size())), int(text.size()));
    gzclose(file);
}

TEST_F(PlotImportTest, GzipFilesAreReadAsTheirTextAndACutOneIsRefused) {
    const ImportedPlot clean = Read(kCleanGrid, kCleanStems);
    WriteGzip("grid.csv.gz", kCleanGrid);
    WriteGzip("stems.csv.gz", kCleanStems);
    const ImportedPlot packed = ReadFiles("grid.csv.gz", "stems.csv.gz");
    ExpectSameCellsAndStems(packed, clean);
    EXPECT_EQ(packed.uptake, clean.uptake);

    // A cut file could end in a row that looks whole: nothing of it is taken.
    std::string big = "x_coord,y_coord,Oak\n";
    for (int i = 0; i < 20000; ++i) {
        big += std::to_string(i) + ",0,0." + std::to_string(i * 7919 % 100000) + "\n";
    }
    WriteGzip("big.csv.gz", big);
    std::filesystem::resize_file("big.csv.gz", std::filesystem::file_size("big.csv.gz") / 2);
    ImportedPlot plot;
    std::string error;
    EXPECT_FALSE(ReadPlotTables("big.csv.gz", "stems.csv.gz", plot, plot, error));
    EXPECT_NE(error.find("big.csv.gz, line "), std::string::npos) << error;
    EXPECT_NE(error.find(": the compressed file ends in the middle: it is cut short or damaged"),
              std::string::npos)
        << error;
}

struct BadInput {
    const char* grid;
    const char* stems;
    const char* message;
};

class PlotImportRefusalTest : public PlotImportTest,
                              public testing::WithParamInterface<BadInput> {};

TEST_P(PlotImportRefusalTest, NamesTheFileLineAndField) {
    EXPECT_EQ(Refusal(GetParam().grid, GetParam().stems ? GetParam().stems : kStems),
              GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    BadInputs, PlotImportRefusalTest,
    testing::Values(
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n1,0,lots\n", nullptr,
                 "grid.csv, line 3, field \"Oak\": \"lots\" is not a number"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n\n1,0\n", nullptr,
                 "grid.csv, line 4: 2 fields, but the header has 3 (field \"Oak\" is missing)"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n1,0,1\n0,0,2\n", nullptr,
                 "grid.csv, line 4, field \"y_coord\": the cell at x_coord 0, y_coord 0 is "
                 "given already on line 2"},
        // A repeat is named before a later fault, as the first fault of the file.
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n1,0,1\n1,0,2\n0,1,x\n", nullptr,
                 "grid.csv, line 4, field \"y_coord\": the cell at x_coord 1, y_coord 0 is "
                 "given already on line 3"},
        BadInput{"gridcell_id,x_coord,y_coord,Oak\n1,0,0,1\n2,1,0,1\n1,0,1,1\n", nullptr,
                 "grid.csv, line 4, field \"gridcell_id\": the gridcell_id 1 is given already on "
                 "line 2"},
        BadInput{"x_coord,y_coord,Tree,uptake\n0,0,Oak,1\n1,0,Oak,1\n0,0,Oak,2\n", nullptr,
                 "grid.csv, line 4, field \"Tree\": tree \"Oak\" in the cell at x_coord 0, "
                 "y_coord 0 is given already on line 2"},
        BadInput{"x_coord,y,Oak\n0,0,1\n", nullptr,
                 "grid.csv, line 1: no column \"y_coord\" (the header needs x_coord, y_coord)"},
        BadInput{"x_coord,y_coord,Oak,OAK\n0,0,1,1\n", nullptr,
                 "grid.csv, line 1, field \"OAK\": the column appears twice"},
        BadInput{"x_coord,y_coord,Oak\n0,0,\"1\n", nullptr,
                 "grid.csv, line 2: a quoted field is not closed"},
        // Only row numbers make a column without a name, and no position may be missing.
        BadInput{",x_coord,y_coord,Oak\n1,0,0,1\n3,1,0,1\n", nullptr,
                 "grid.csv, line 1: column 1 has no name"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\nNA,1,1\n", nullptr,
                 "grid.csv, line 3, field \"x_coord\": \"NA\" is not a number"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n", "Tree,Xrot0\nOak,1\n",
                 "stems.csv, line 1: no column \"Yrot0\" (the header needs Tree, Xrot0, Yrot0)"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n", "Tree,Xrot0,Yrot0\nOak,1,1\nOak,2,2\n",
                 "stems.csv, line 3, field \"Tree\": the tree \"Oak\" is given already on line "
                 "2"}));
