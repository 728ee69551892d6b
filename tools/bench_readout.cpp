// Measures one update of the pointer readout on the 200 x 200 cell, 100 tree
// benchmark plot with three trees selected: the cell lookups through the
// index tables and the nearest-stem search, as the status bar does on every
// pointer motion. The floor is one indexed SELECT of a single cell through
// SQLite alone.
//
//   bench_readout [--updates N]
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/PlotFile.h"
#include "data/PlotGenerator.h"
#include "render/PointReadout.h"
#include "tools/BenchSupport.h"

namespace {

using bench::Clock;

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * values.size()))];
}

// One cell read by its corner through the location index, SQLite alone.
double FloorMillis(const std::string& path, double x, double y) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT count FROM _idx_grid_uptake_13365 WHERE x_coord = ?1 AND "
                       "y_coord = ?2",
                       -1, &statement, nullptr);
    const auto start = Clock::now();
    sqlite3_bind_double(statement, 1, x);
    sqlite3_bind_double(statement, 2, y);
    double sum = 0.0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        sum += sqlite3_column_double(statement, 0);
    }
    const double millis = bench::Millis(start);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (sum < 0) {
        std::printf("(negative)\n");
    }
    return millis;
}

}  // namespace

int main(int argc, char** argv) {
    int updates = 2000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--updates" && i + 1 < argc) {
            updates = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_readout [--updates N]\n");
            return 2;
        }
    }
    bench::WorkFolder folder;
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::string error;
    if (!WritePlot("plot.db", bench::Plots().front().request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return 1;
    }
    const std::string path = std::filesystem::absolute("plot.db").string();
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    PointReadout readout(plot);
    const std::vector<wxString> trees = plot.GetTreeNames();
    readout.SetTrees({trees.at(0), trees.at(10), trees.at(20)});

    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-5.0, 205.0);
    std::vector<double> times, floors;
    size_t cells = 0;
    for (int i = 0; i < updates; ++i) {
        const double x = coordinate(random);
        const double y = coordinate(random);
        const auto start = Clock::now();
        const PointReading reading = readout.Read(x, y);
        const std::string text = ReadingText(reading);
        times.push_back(bench::Millis(start));
        cells += reading.hasCell && !text.empty();
        floors.push_back(FloorMillis(path, std::floor(x), std::floor(y)));
    }
    const double floor = Percentile(floors, 0.5);
    std::printf("%d readout updates (%zu inside the grid), 3 trees selected:\n", updates, cells);
    std::printf("  floor (one indexed cell, SQLite alone): median %.4f ms\n", floor);
    std::printf(
        "  readout update: median %.3f ms (%.0f x floor), 99th percentile %.3f ms, "
        "max %.3f ms\n",
        Percentile(times, 0.5), Percentile(times, 0.5) / floor, Percentile(times, 0.99),
        Percentile(times, 1.0));
    return 0;
}
