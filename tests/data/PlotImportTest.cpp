#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/PlotTables.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kStems = "Tree,Xrot0,Yrot0\nOak,0.5,0.5\nBirch,1.5,0.5\n";

class PlotImportTest : public testing::Test {
  protected:
    TempDir dir;

    PlotTables Read(const std::string& grid, const std::string& stems = kStems) {
        WriteFile("grid.csv", grid);
        WriteFile("stems.csv", stems);
        PlotTables tables;
        std::string error;
        EXPECT_TRUE(ReadPlotTables("grid.csv", "stems.csv", tables, error)) << error;
        return tables;
    }
    std::string Refusal(const std::string& grid, const std::string& stems = kStems) {
        WriteFile("grid.csv", grid);
        WriteFile("stems.csv", stems);
        PlotTables tables;
        std::string error;
        EXPECT_FALSE(ReadPlotTables("grid.csv", "stems.csv", tables, error));
        return error;
    }
};

}  // namespace

TEST_F(PlotImportTest, WideAndLongGiveTheSameGrid) {
    const PlotTables wide = Read(
        "x_coord,y_coord,Oak,Birch\n"
        "0,0,0.8,0\n1,0,0.5,0.25\n0,1,0,0.125\n");
    // Any column order, tab separated, byte-order mark, CRLF; Oak is missing from the last cell.
    const PlotTables longer = Read(
        "\xEF\xBB\xBFTree\tuptake\ty_coord\tx_coord\r\n"
        "Oak\t0.8\t0\t0\r\nBirch\t0\t0\t0\r\nOak\t0.5\t0\t1\r\n"
        "Birch\t0.25\t0\t1\r\nBirch\t0.125\t1\t0\r\n");
    for (const PlotTables* tables : {&wide, &longer}) {
        EXPECT_EQ(tables->trees, (Strings{"Oak", "Birch"}));
        EXPECT_EQ(tables->cellIds, (std::vector<long long>{1, 2, 3}));
        EXPECT_EQ(tables->xs, (std::vector<double>{0, 1, 0}));
        EXPECT_EQ(tables->ys, (std::vector<double>{0, 0, 1}));
        EXPECT_EQ(tables->uptake, (std::vector<double>{0.8, 0, 0.5, 0.25, 0, 0.125}));
        EXPECT_TRUE(tables->warnings.empty());
    }
}

TEST_F(PlotImportTest, QuotedLabelsDecimalCommasAndTypedStemColumns) {
    const PlotTables tables =
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
    const PlotTables tables =
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
        BadInput{"x_coord,y_coord,Tree,uptake\n0,0,Oak,1\n1,0,Oak,1\n0,0,Oak,2\n", nullptr,
                 "grid.csv, line 4, field \"Tree\": tree \"Oak\" in the cell at x_coord 0, "
                 "y_coord 0 is given already on line 2"},
        BadInput{"x_coord,y,Oak\n0,0,1\n", nullptr,
                 "grid.csv, line 1: no column \"y_coord\" (the header needs x_coord, y_coord)"},
        BadInput{"x_coord,y_coord,Oak,OAK\n0,0,1,1\n", nullptr,
                 "grid.csv, line 1, field \"OAK\": the column appears twice"},
        BadInput{"x_coord,y_coord,Oak\n0,0,\"1\n", nullptr,
                 "grid.csv, line 2: a quoted field is not closed"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n", "Tree,Xrot0\nOak,1\n",
                 "stems.csv, line 1: no column \"Yrot0\" (the header needs Tree, Xrot0, Yrot0)"},
        BadInput{"x_coord,y_coord,Oak\n0,0,1\n", "Tree,Xrot0,Yrot0\nOak,1,1\nOak,2,2\n",
                 "stems.csv, line 3, field \"Tree\": the tree \"Oak\" is given already on line "
                 "2"}));
