#include "data/ValueGrid.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace {

// 64 million squares, 64 times the largest plots measured: a raster mostly
// of squares without cells, from a stray cell far off, is refused rather
// than written.
constexpr double kMaxPixels = 67108864.0;

// Positions are read in single precision, so they are written as the
// shortest text of their float.
std::string Number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    return std::string(text, result.ptr);
}

std::string CellText(const CellValue& cell) {
    return "(" + Number(cell.x) + ", " + Number(cell.y) + ")";
}

// What to add when positions this far from 0 are read too coarsely for the
// cells to be told apart: single precision keeps about seven digits.
std::string PrecisionNote(const CellValue& cell, double cellSize) {
    const double magnitude = std::max(std::fabs(cell.x), std::fabs(cell.y));
    if (4 * FLT_EPSILON * magnitude < 0.01 * cellSize) {
        return std::string();
    }
    return " (Quenvar reads positions to about seven significant digits, too few for cells of " +
           Number(cellSize) + " at " + Number(magnitude) +
           ": subtract the plot's corner from x_coord and y_coord)";
}

// The distinct positions along one axis, in order, each with a cell there.
struct Axis {
    std::vector<double> at;
    std::vector<const CellValue*> cell;
    const char* name;  // "x_coord"

    // The least distance between neighbouring positions; 0 with one position.
    double Gap() const {
        double gap = 0.0;
        for (size_t i = 1; i < at.size(); ++i) {
            gap = i == 1 ? at[1] - at[0] : std::min(gap, at[i] - at[i - 1]);
        }
        return gap;
    }
    double Span() const { return at.back() - at.front(); }
    // The gap as the whole span gives it, when the span is close to a whole
    // number of gaps: one gap alone carries the rounding of two positions.
    double Spacing(double gap) const {
        const double steps = Span() / gap;
        return std::fabs(steps - std::round(steps)) < 0.25 ? Span() / std::round(steps) : gap;
    }
};

Axis AxisOf(const std::vector<CellValue>& cells, double CellValue::*position, const char* name) {
    std::vector<const CellValue*> sorted;
    sorted.reserve(cells.size());
    for (const CellValue& cell : cells) {
        sorted.push_back(&cell);
    }
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [position](const CellValue* a, const CellValue* b) { return a->*position < b->*position; });
    Axis axis{{}, {}, name};
    for (const CellValue* cell : sorted) {
        if (axis.at.empty() || cell->*position != axis.at.back()) {
            axis.at.push_back(cell->*position);
            axis.cell.push_back(cell);
        }
    }
    return axis;
}

// How far a position may stray from the lattice, in cells: a little, plus
// what single precision loses at the plot's distance from 0.
double Tolerance(const Axis& axis, double cellSize) {
    const double magnitude = std::max(std::fabs(axis.at.front()), std::fabs(axis.at.back()));
    return 0.001 + 4 * FLT_EPSILON * magnitude / cellSize;
}

// Every position a whole number of cells from the first; false naming the
// first position that is not, and its neighbour.
bool CheckAxis(const Axis& axis, double cellSize, std::string& error) {
    const double tolerance = Tolerance(axis, cellSize);
    for (size_t i = 1; i < axis.at.size(); ++i) {
        const double steps = (axis.at[i] - axis.at[0]) / cellSize;
        if (std::fabs(steps - std::round(steps)) > tolerance) {
            error = std::string("the grid is not evenly spaced: the cells ") +
                    CellText(*axis.cell[i - 1]) + " and " + CellText(*axis.cell[i]) + " lie " +
                    Number(axis.at[i] - axis.at[i - 1]) + " apart in " + axis.name +
                    ", not a whole number of cells of " + Number(cellSize) +
                    PrecisionNote(*axis.cell[i], cellSize);
            return false;
        }
    }
    return true;
}

// The spacing of both axes, which must agree: the cells are squares.
bool FindCellSize(const Axis& xs, const Axis& ys, double drawnCellSize, double& cellSize,
                  std::string& error) {
    const double gx = xs.Gap();
    const double gy = ys.Gap();
    if (gx > 0.0 && gy > 0.0 &&
        std::fabs(gx - gy) > Tolerance(xs, gx) * gx + Tolerance(ys, gy) * gy) {
        size_t i = 1;
        size_t j = 1;
        while (xs.at[i] - xs.at[i - 1] != gx) {
            ++i;
        }
        while (ys.at[j] - ys.at[j - 1] != gy) {
            ++j;
        }
        error = "the grid is not evenly spaced: the cells " + CellText(*xs.cell[i - 1]) + " and " +
                CellText(*xs.cell[i]) + " lie " + Number(gx) + " apart in x_coord, but " +
                CellText(*ys.cell[j - 1]) + " and " + CellText(*ys.cell[j]) + " lie " + Number(gy) +
                " apart in y_coord; the cells must be squares of one size" +
                PrecisionNote(*xs.cell[i], std::max(gx, gy));
        return false;
    }
    cellSize = gx > 0.0 ? xs.Spacing(gx) : gy > 0.0 ? ys.Spacing(gy) : drawnCellSize;
    if (!(cellSize > 0.0) || !std::isfinite(cellSize)) {
        error = "the grid has a single cell and no cell size to give it";
        return false;
    }
    return true;
}

// Full precision for the corner and the spacing where the exact extents are
// what the program's own reading of them gives; its reading otherwise.
void Place(const Axis& xs, const Axis& ys, const ExactCorners* exact, ValueGrid& grid) {
    grid.west = xs.at.front();
    grid.south = ys.at.front();
    auto agrees = [](double exactValue, double read) {
        return static_cast<float>(exactValue) == static_cast<float>(read);
    };
    if (!exact || !agrees(exact->xMin, xs.at.front()) || !agrees(exact->xMax, xs.at.back()) ||
        !agrees(exact->yMin, ys.at.front()) || !agrees(exact->yMax, ys.at.back())) {
        if (grid.columns > 1) {
            grid.cellSize = xs.Span() / (grid.columns - 1);
        } else if (grid.rows > 1) {
            grid.cellSize = ys.Span() / (grid.rows - 1);
        }
        return;
    }
    grid.west = exact->xMin;
    grid.south = exact->yMin;
    if (grid.columns > 1) {
        grid.cellSize = (exact->xMax - exact->xMin) / (grid.columns - 1);
    } else if (grid.rows > 1) {
        grid.cellSize = (exact->yMax - exact->yMin) / (grid.rows - 1);
    }
}

bool PutCells(const std::vector<CellValue>& cells, const Axis& xs, const Axis& ys, ValueGrid& grid,
              std::string& error) {
    const double step = grid.cellSize;
    grid.values.assign(size_t(grid.columns) * size_t(grid.rows), 0.0f);
    grid.present.assign(grid.values.size(), 0);
    for (const CellValue& cell : cells) {
        const int column = int(std::lround((cell.x - xs.at.front()) / step));
        const int row = grid.rows - 1 - int(std::lround((cell.y - ys.at.front()) / step));
        const size_t at = grid.At(row, column);
        if (grid.present[at]) {
            error = "the grid holds two cells at " + CellText(cell) +
                    "; each cell must be given once" + PrecisionNote(cell, step);
            return false;
        }
        if (!std::isfinite(cell.value)) {
            error = "the cell " + CellText(cell) + " holds a value too large for a 32-bit float";
            return false;
        }
        grid.present[at] = 1;
        grid.values[at] = cell.value;
    }
    return true;
}

}  // namespace

float ValueGrid::Nodata() const {
    for (float candidate : {-9999.0f, -99999.0f, -FLT_MAX}) {
        bool used = false;
        for (size_t i = 0; i < values.size() && !used; ++i) {
            used = present[i] && values[i] == candidate;
        }
        if (!used) {
            return candidate;
        }
    }
    return std::nanf("");
}

bool LayOutGrid(const std::vector<CellValue>& cells, double drawnCellSize,
                const ExactCorners* exact, ValueGrid& grid, std::string& error) {
    if (cells.empty()) {
        error = "the grid has no cells";
        return false;
    }
    const Axis xs = AxisOf(cells, &CellValue::x, "x_coord");
    const Axis ys = AxisOf(cells, &CellValue::y, "y_coord");
    double cellSize = 0.0;
    if (!FindCellSize(xs, ys, drawnCellSize, cellSize, error) || !CheckAxis(xs, cellSize, error) ||
        !CheckAxis(ys, cellSize, error)) {
        return false;
    }
    const double columns = std::round(xs.Span() / cellSize) + 1;
    const double rows = std::round(ys.Span() / cellSize) + 1;
    if (columns * rows > kMaxPixels) {
        error = "the grid would be " + Number(columns) + " x " + Number(rows) + " cells of " +
                Number(cellSize) + ", too large to write";
        return false;
    }
    grid = ValueGrid();
    grid.columns = int(columns);
    grid.rows = int(rows);
    grid.cellSize = cellSize;
    if (!PutCells(cells, xs, ys, grid, error)) {
        return false;
    }
    Place(xs, ys, exact, grid);
    return true;
}
