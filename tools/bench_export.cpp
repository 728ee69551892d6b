// Measures the export as PNG, SVG and PDF at 1000 x 800 pixels on the
// benchmark plots, with no display: the whole export (opening the plot with
// its index tables built, drawing, writing the file) as a ratio to the floor
// (reading the grid once through SQLite alone) measured in the same run and
// to the PNG's own time, and the size of each file. Two pictures: the uptake
// blocks alone, and the blocks with the DBH stem map, the labels and the scale.
//
//   bench_export [--runs N] [--plot standard|million|all] [--keep]
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/BenchExport.h"

namespace {

const char* const kFormats[] = {"png", "svg", "pdf"};
const char* const kPictures[][2] = {
    {"blocks", "uptake-blocks"},
    {"overview", "uptake-blocks,stems-dbh,stem-labels,scale"},
};

double FileMiB(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_size / (1024.0 * 1024.0) : -1.0;
}

// The median time of several exports of one picture, in seconds.
bool TimeExport(const std::string& plot, const std::string& out, const char* layers, int runs,
                double& seconds) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(bench::ExportSeconds(plot, out, layers));
        if (times.back() < 0) {
            return false;
        }
    }
    seconds = bench::Median(times);
    return true;
}

int RunPlot(const std::string& plot, int runs) {
    // A first export builds the index tables, which every later one reuses.
    double ignored = 0.0;
    if (!TimeExport(plot, "first.png", "uptake-blocks", 1, ignored)) {
        return 1;
    }
    std::vector<double> floors;
    for (int i = 0; i < runs; ++i) {
        floors.push_back(bench::ReadGridOnce(plot));
    }
    const double floor = bench::Median(floors);
    std::printf("  floor: %.3f s\n", floor);
    for (const auto& picture : kPictures) {
        double png = 0.0;
        for (const char* format : kFormats) {
            const std::string out = std::string(picture[0]) + "." + format;
            double seconds = 0.0;
            if (!TimeExport(plot, out, picture[1], runs, seconds)) {
                return 1;
            }
            png = format == kFormats[0] ? seconds : png;
            std::printf("  %-8s %s: %5.2f x floor, %4.2f x PNG, %7.3f MiB\n", picture[0], format,
                        seconds / floor, seconds / png, FileMiB(out));
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    if (!bench::ReadOptions(argc, argv, options, nullptr)) {
        std::fprintf(stderr,
                     "usage: bench_export [--runs N] [--plot standard|million|all] [--keep]\n");
        return 2;
    }
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::printf("Export benchmark at 1000 x 800 pixels, medians of %d runs\n", options.runs);
    int status = 0;
    for (size_t i = 0; i < options.plots.size() && status == 0; ++i) {
        const bench::Plot& plot = options.plots[i];
        const std::string made = folder.Path() + "/" + plot.key + ".db";
        std::string error;
        if (!WritePlot(made, plot.request, error)) {
            std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
            return 1;
        }
        std::printf("\nPlot of %s (as `%s`)\n", plot.title, plot.command.c_str());
        std::fflush(stdout);
        status = RunPlot(made, options.runs);
    }
    if (options.keep) {
        std::printf("kept %s\n", folder.Path().c_str());
    }
    return status;
}
