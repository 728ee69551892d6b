// Measures the export of a series of four plots (the benchmark plot made with
// four seeds) drawn one at a time (-j 1) and two at a time (-j 2), in paired
// runs: each run times both, in turn, so that the machine's state weighs on
// both alike. Prints the medians, the median of the pairs' ratios and the
// floor of the first plot.
//
//   bench_series [--runs N] [--plot standard|million|all] [--keep]
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/SeriesExport.h"
#include "tools/BenchSupport.h"

namespace {

using bench::Clock;

const int kFiles = 4;

// One series export; the time in seconds, or a negative number on failure.
double TimeSeries(const std::vector<std::string>& files, const char* jobs) {
    std::vector<std::string> args = {"--export", "{name}.png",    "--size", "1000x800",
                                     "--layers", "uptake-blocks", "-j",     jobs};
    args.insert(args.end(), files.begin(), files.end());
    const CommandLine line = ParseCommandLine(args);
    const Clock::time_point start = Clock::now();
    if (line.mode != CommandMode::Export || RunSeriesExport(line.request) != 0) {
        return -1.0;
    }
    return bench::Seconds(start);
}

int RunPlot(const bench::Plot& plot, int runs) {
    std::vector<std::string> files;
    for (int seed = 1; seed <= kFiles; ++seed) {
        PlotRequest request = plot.request;
        request.seed = seed;
        files.push_back(std::string(plot.key) + "-" + std::to_string(seed) + ".db");
        std::string error;
        if (!WritePlot(files.back(), request, error)) {
            std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
            return 1;
        }
    }
    // The index tables are built once, before any timing.
    if (TimeSeries(files, "2") < 0) {
        std::fprintf(stderr, "the series export failed\n");
        return 1;
    }
    std::vector<double> one, two, ratios;
    for (int i = 0; i < runs; ++i) {
        one.push_back(TimeSeries(files, "1"));
        two.push_back(TimeSeries(files, "2"));
        ratios.push_back(two.back() / one.back());
    }
    const double floor = bench::SumGridInEngine(files[0]);
    std::printf("  -j 1: %.3f s, -j 2: %.3f s; -j 2 / -j 1 = %.2f (median of %d pairs)\n",
                bench::Median(one), bench::Median(two), bench::Median(ratios), runs);
    std::printf("  floor of one plot: %.3f s; -j 1 per plot: %.2f x floor\n", floor,
                bench::Median(one) / kFiles / floor);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    options.plots = bench::SelectPlots("standard");
    if (!bench::ReadOptions(argc, argv, options, nullptr)) {
        std::fprintf(stderr,
                     "usage: bench_series [--runs N] [--plot standard|million|all] [--keep]\n");
        return 2;
    }
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::printf("Series of %d plots at 1000 x 800 pixels, %d paired runs\n", kFiles, options.runs);
    int status = 0;
    for (size_t i = 0; i < options.plots.size() && status == 0; ++i) {
        std::printf("\nPlots of %s (as `%s --seed 1..%d`)\n", options.plots[i].title,
                    options.plots[i].command.c_str(), kFiles);
        std::fflush(stdout);
        status = RunPlot(options.plots[i], options.runs);
    }
    if (options.keep) {
        std::printf("kept %s\n", folder.Path().c_str());
    }
    return status;
}
