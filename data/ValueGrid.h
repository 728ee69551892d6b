// A value layer laid out as a raster for GIS programs: one pixel per grid
// cell, north row first, the lower-left corner at the cells' least corner and
// the cell size as the pixel size. Squares of the raster without a cell hold
// no data; a cell whose value is 0 holds 0.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One cell's corner, as the program reads it, and its value.
struct CellValue {
    double x;
    double y;
    float value;
};

// The least and greatest corners as the grid table stores them, at full
// precision: the program reads positions in single precision, which would
// move a plot in map coordinates (a UTM northing, say) by up to half a metre.
struct ExactCorners {
    double xMin;
    double xMax;
    double yMin;
    double yMax;
};

struct ValueGrid {
    double west = 0.0;   // the left edge: the least x_coord
    double south = 0.0;  // the bottom edge: the least y_coord
    double cellSize = 0.0;
    int columns = 0;
    int rows = 0;
    // rows x columns, north row first; a square without a cell is not present.
    std::vector<float> values;
    std::vector<char> present;

    double North() const { return south + rows * cellSize; }
    size_t At(int row, int column) const { return size_t(row) * size_t(columns) + size_t(column); }
    // A value none of the cells holds, for the squares without a cell.
    float Nodata() const;
};

// Lays the cells out. The spacing is the least distance between two cells
// along either axis; drawnCellSize (the size the blocks are drawn with) serves
// a grid of one cell. exact, when given, places the raster at full precision
// where it agrees with the cells. False with one line in error when the
// cells are not evenly spaced squares (naming two of them), when two cells
// share a square, or when the raster would be too large.
bool LayOutGrid(const std::vector<CellValue>& cells, double drawnCellSize,
                const ExactCorners* exact, ValueGrid& grid, std::string& error);
