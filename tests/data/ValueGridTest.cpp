// Laying a value layer's cells out as a raster.
#include <gtest/gtest.h>

#include "data/ValueGrid.h"

namespace {

// Tenth-metre cells 1000 m from the origin: single precision reads each
// corner a little off, yet the raster is placed where the table puts it.
TEST(ValueGrid, ExactCornersPlaceCellsTheProgramReadsRoundedOff) {
    std::vector<CellValue> cells;
    for (int i = 0; i < 40; ++i) {
        for (int j = 0; j < 3; ++j) {
            cells.push_back({float(1000.1 + 0.1 * i), float(2000.3 + 0.1 * j), float(i)});
        }
    }
    const ExactCorners exact{1000.1, 1000.1 + 0.1 * 39, 2000.3, 2000.3 + 0.1 * 2};
    ValueGrid grid;
    std::string error;
    ASSERT_TRUE(LayOutGrid(cells, 1.0, &exact, grid, error)) << error;
    EXPECT_EQ(grid.columns, 40);
    EXPECT_EQ(grid.rows, 3);
    EXPECT_DOUBLE_EQ(grid.west, 1000.1);
    EXPECT_DOUBLE_EQ(grid.south, 2000.3);
    EXPECT_NEAR(grid.cellSize, 0.1, 1e-12);
    EXPECT_EQ(grid.values[grid.At(2, 39)], 39.0f);  // the south row comes last

    // Corners the reading does not give (an integer column, say) are not taken.
    const ExactCorners elsewhere{1000.6, 1004.6, 2000.3, 2000.5};
    ASSERT_TRUE(LayOutGrid(cells, 1.0, &elsewhere, grid, error)) << error;
    EXPECT_EQ(grid.west, double(float(1000.1)));
}

TEST(ValueGrid, RefusesCellsThatAreNotSquaresOfOneSize) {
    ValueGrid grid;
    std::string error;
    EXPECT_FALSE(LayOutGrid({{0, 0, 1}, {1, 0, 1}, {0, 0.5, 1}}, 1.0, nullptr, grid, error));
    EXPECT_NE(error.find("(0, 0) and (1, 0) lie 1 apart in x_coord, but (0, 0) and (0, 0.5) lie "
                         "0.5 apart in y_coord"),
              std::string::npos)
        << error;
    EXPECT_FALSE(LayOutGrid({{0, 0, 1}, {1, 0, 2}, {1, 0, 3}}, 1.0, nullptr, grid, error));
    EXPECT_NE(error.find("two cells at (1, 0)"), std::string::npos) << error;
}

// A grid of one cell takes the size the blocks are drawn with; a cell of 0 is 0.
TEST(ValueGrid, SingleCellTakesTheDrawnSize) {
    ValueGrid grid;
    std::string error;
    ASSERT_TRUE(LayOutGrid({{5, 6, 0}}, 2.0, nullptr, grid, error)) << error;
    EXPECT_EQ(grid.cellSize, 2.0);
    EXPECT_TRUE(grid.present[0]);
    EXPECT_EQ(grid.values[0], 0.0f);
    EXPECT_EQ(grid.Nodata(), -9999.0f);
}

}  // namespace
