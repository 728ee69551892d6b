// Measures the tree statistics' one pass over grid, as ratios to the floor
// (reading the grid once through SQLite alone) measured in the same run: the
// statistics of every tree, and the same with the overlap of every two.
//
//   bench_stats [--runs N] [--plot standard|million|all] [--keep]
#include <cstdio>
#include <string>
#include <vector>

#include "data/PlotGenerator.h"
#include "data/TreeStats.h"
#include "tools/BenchSupport.h"

namespace {

using bench::Clock;

double Gather(const std::string& path, double cellSize, bool overlap) {
    const auto start = Clock::now();
    TreeStatsRequest request;
    request.cellSize = cellSize;
    request.overlap = overlap;
    TreeStatsTable table;
    std::string error;
    if (!GatherTreeStats(Database::OpenForReading(path.c_str()), request, table, error)) {
        std::fprintf(stderr, "cannot gather the statistics: %s\n", error.c_str());
    }
    return bench::Seconds(start);
}

void BenchPlot(const bench::Plot& plot, int runs) {
    const std::string path = std::string(plot.key) + ".db";
    std::string error;
    if (!WritePlot(path, plot.request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return;
    }
    std::printf("\nPlot of %s (as `%s`)\n", plot.title, plot.command.c_str());
    std::vector<double> floor, stats, overlap;
    for (int run = 0; run < runs; ++run) {
        floor.push_back(bench::ReadGridOnce(path));
        stats.push_back(Gather(path, plot.request.cell, false) / floor.back());
        overlap.push_back(Gather(path, plot.request.cell, true) / floor.back());
        std::printf("run %d: floor %.3f s, statistics %.2f x, with overlap %.2f x\n", run + 1,
                    floor.back(), stats.back(), overlap.back());
    }
    std::printf("medians of %d runs: floor %.3f s, statistics %.2f x floor, with overlap %.2f x\n",
                runs, bench::Median(floor), bench::Median(stats), bench::Median(overlap));
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    if (!bench::ReadOptions(argc, argv, options, nullptr)) {
        std::fprintf(stderr,
                     "usage: bench_stats [--runs N] [--plot standard|million|all] [--keep]\n");
        return 2;
    }
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    for (const bench::Plot& plot : options.plots) {
        BenchPlot(plot, options.runs);
    }
    return 0;
}
