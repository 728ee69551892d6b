// --classes and --smooth on a plot made unlike the demo: an offset origin,
// half-metre cells, a tree column whose first value is a whole number and
// values below 0. Each cell's colour is worked out here from the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "CliSupport.h"

namespace {

const Rgb kBuiltIn[5] = {{0, 0, 150}, {0, 150, 100}, {100, 200, 0}, {255, 255, 0}, {255, 0, 0}};

struct Cell {
    int i;
    int j;
    double total;
};

// Ten by eight cells from (-40, 7.5); A's first value is the integer 3 in
// an untyped column, B has losses. Totals are multiples of a half.
std::vector<Cell> MakeOddPlot(const std::string& path) {
    std::string sql =
        "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, A, B double);";
    std::vector<Cell> cells;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 8; ++j) {
            const double a = i == 0 && j == 0 ? 3.0 : std::pow(3.0, (i + 2 * j) % 7) / 4;
            const double b = (i * j) % 4 == 1 ? -2.0 : (i % 3 == 0 ? 0.0 : 0.5);
            const std::string aText = i == 0 && j == 0 ? "3" : std::to_string(a);
            sql += "INSERT INTO grid VALUES (" + std::to_string(i * 8 + j) + ", " +
                   std::to_string(-40 + 0.5 * i) + ", " + std::to_string(7.5 + 0.5 * j) + ", " +
                   aText + ", " + std::to_string(b) + ");";
            // A column whose first value is a whole number is read as whole numbers.
            cells.push_back({i, j, std::trunc(a) + b});
        }
    }
    sql +=
        "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
        "Crown_d_m double);"
        "INSERT INTO stem VALUES ('A', -39, 8, 0.1, 1), ('B', -37, 9, 0.1, 1);";
    ExecSql(path, sql);
    return cells;
}

std::vector<double> SortedNonZero(const std::vector<Cell>& cells) {
    std::vector<double> values;
    for (const Cell& cell : cells) {
        if (cell.total != 0.0) {
            values.push_back(cell.total);
        }
    }
    std::sort(values.begin(), values.end());
    return values;
}

int QuantileClass(double v, const std::vector<double>& sorted) {
    const long below = std::lower_bound(sorted.begin(), sorted.end(), v) - sorted.begin();
    return int(std::min<long>(4, 5 * below / long(sorted.size())));
}

int LogClass(double v, const std::vector<double>& sorted) {
    const double low = *std::upper_bound(sorted.begin(), sorted.end(), 0.0);
    const double span = std::log(sorted.back()) - std::log(low);
    return v <= 0 ? 0
                  : int(std::clamp(std::trunc((std::log(v) - std::log(low)) * 5 / span), 0.0, 4.0));
}

class ClassesExport : public testing::Test {
  protected:
    void SetUp() override { cells = MakeOddPlot("odd.db"); }

    // 40 pixels a cell: the grid is 5 by 4 plot units with its last cell.
    wxImage Draw(const std::vector<std::string>& options) {
        std::vector<std::string> args = {"--size", "400x320", "--layers", "uptake-blocks"};
        args.insert(args.end(), options.begin(), options.end());
        const ProgramRun run = Export("odd.png", "odd.db", args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return LoadPng("odd.png");
    }

    Rgb At(const wxImage& picture, const Cell& cell) {
        return PixelAt(picture, cell.i * 40 + 20, cell.j * 40 + 20);
    }

    TempDir dir;
    std::vector<Cell> cells;
};

}  // namespace

TEST_F(ClassesExport, QuantileAndLogBlocksTakeTheColoursOfTheirRules) {
    const std::vector<double> sorted = SortedNonZero(cells);
    const wxImage quantile = Draw({"--classes", "uptake=quantile"});
    const wxImage log = Draw({"--classes=uptake=log"});
    std::vector<int> perClass(5, 0);
    for (const Cell& cell : cells) {
        SCOPED_TRACE(testing::Message() << cell.i << "," << cell.j << ": " << cell.total);
        if (cell.total == 0.0) {
            EXPECT_EQ(At(quantile, cell), kBlack);
            continue;
        }
        ++perClass[QuantileClass(cell.total, sorted)];
        EXPECT_EQ(At(quantile, cell), kBuiltIn[QuantileClass(cell.total, sorted)]);
        EXPECT_EQ(At(log, cell), kBuiltIn[LogClass(cell.total, sorted)]);
    }
    // Every class is taken, by about as many cells.
    EXPECT_GT(*std::min_element(perClass.begin(), perClass.end()), 5);
}

TEST_F(ClassesExport, SmoothGradientFollowsTheFormulaWithinOnePerChannel) {
    const wxImage smooth = Draw({"--smooth"});
    double minimum = 1e9;
    double maximum = -1e9;
    for (const Cell& cell : cells) {
        minimum = std::min(minimum, cell.total);
        maximum = std::max(maximum, cell.total);
    }
    // The equal steps' own ends: the truncated minimum and range.
    const double low = std::trunc(minimum);
    const double range = std::trunc(maximum - low);
    int drawn = 0;
    int close = 0;
    for (const Cell& cell : cells) {
        if (cell.total == 0.0) {
            continue;
        }
        const double p = std::clamp((cell.total - low) / range, 0.0, 1.0) * 4;
        const int k = std::min(int(std::floor(p)), 3);
        auto channel = [&](int a, int b) { return int(a + (b - a) * (p - k)); };
        const Rgb expected{channel(kBuiltIn[k].r, kBuiltIn[k + 1].r),
                           channel(kBuiltIn[k].g, kBuiltIn[k + 1].g),
                           channel(kBuiltIn[k].b, kBuiltIn[k + 1].b)};
        const Rgb got = At(smooth, cell);
        ++drawn;
        close += std::abs(got.r - expected.r) <= 1 && std::abs(got.g - expected.g) <= 1 &&
                 std::abs(got.b - expected.b) <= 1;
    }
    EXPECT_GE(close, drawn * 99 / 100);
}

TEST_F(ClassesExport, LogOnARangeFromZeroOrBelowIsRefusedWhicheverComesFirst) {
    for (const std::vector<std::string>& order :
         {std::vector<std::string>{"--classes", "count=log", "--range", "count=0,4"},
          std::vector<std::string>{"--range", "count=-1,4", "--classes", "count=log"}}) {
        const ProgramRun run = Export("odd.png", "odd.db", order);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("--classes count=log"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("--range count="), std::string::npos) << run.err;
    }
}
