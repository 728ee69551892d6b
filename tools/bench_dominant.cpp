// Measures what the dominant-tree layer adds to an export: the export of the
// uptake blocks with the dominant trees over them, less the same export
// without them (both open the plot with its index tables built), as a ratio
// to the floor (SQLite's engine summing every tree value of grid once)
// measured in the same run. At most 1 is the aim: the layer costs no more
// than one pass over grid.
//
//   bench_dominant [--runs N] [--plot standard|million|all] [--keep]
#include <cstdio>
#include <string>
#include <vector>

#include "tools/BenchExport.h"

namespace {

double ExportSeconds(const std::string& plot, const char* layers) {
    return bench::ExportSeconds(plot, "out.png", layers);
}

int BenchPlot(const bench::Plot& plot, int runs) {
    const std::string path = std::string(plot.key) + ".db";
    std::string error;
    if (!WritePlot(path, plot.request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return 1;
    }
    // A first export builds the index tables, which every later one reuses.
    if (ExportSeconds(path, "uptake-blocks") < 0) {
        return 1;
    }
    std::printf("\nPlot of %s (as `%s`)\n", plot.title, plot.command.c_str());
    std::vector<double> floors, added;
    for (int run = 0; run < runs; ++run) {
        const double without = ExportSeconds(path, "uptake-blocks");
        const double with = ExportSeconds(path, "uptake-blocks,dominant-blocks");
        floors.push_back(bench::SumGridInEngine(path));
        added.push_back((with - without) / floors.back());
        std::printf(
            "run %d: floor %.3f s, export %.3f s, with the dominant trees %.3f s: "
            "%.2f x floor more\n",
            run + 1, floors.back(), without, with, added.back());
    }
    std::printf("medians of %d runs: floor %.3f s, the dominant trees add %.2f x floor\n", runs,
                bench::Median(floors), bench::Median(added));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    if (!bench::ReadOptions(argc, argv, options, nullptr)) {
        std::fprintf(stderr,
                     "usage: bench_dominant [--runs N] [--plot standard|million|all] [--keep]\n");
        return 2;
    }
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    for (const bench::Plot& plot : options.plots) {
        if (BenchPlot(plot, options.runs) != 0) {
            return 1;
        }
    }
    return 0;
}
