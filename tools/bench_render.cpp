// Measures how long the layers take to draw: every plot layer of a
// 200 x 200-cell plot with 100 trees at 1000 x 800 pixels, over the full
// extent and zoomed to 400 %, and one tree's three stem layers (its index
// table built beforehand). Reports the median of several drawings.
//
//   bench_render [--runs N] [--plot FILE.db] [--keep]
//
// Needs a display; on a machine without one run it under xvfb-run.
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/PlotGenerator.h"
#include "render/RenderHelper.h"

namespace {

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

using Clock = std::chrono::steady_clock;

const int kWidth = 1000;
const int kHeight = 800;

struct Layer {
    uint32_t flag;
    const char* name;
};

const Layer kPlotLayers[] = {
    {LAYER_UPTAKE_BLOCKS, "uptake blocks"},
    {LAYER_COUNT_BLOCKS, "count blocks"},
    {LAYER_UPTAKE_CLOUDS, "uptake clouds"},
    {LAYER_COUNT_CLOUDS, "count clouds"},
    {LAYER_UPTAKE_ISOLINES, "uptake isolines"},
    {LAYER_COUNT_ISOLINES, "count isolines"},
    {LAYER_STEMS_PLAIN, "stem map (plain)"},
    {LAYER_STEMS_CROWN, "stem map (crown)"},
    {LAYER_STEMS_DBH, "stem map (DBH)"},
    {LAYER_STEM_LABELS, "stem labels"},
    {LAYER_SCALE, "scale"},
};

const Layer kStemLayers[] = {
    {STEM_LAYER_BLOCKS, "tree blocks"},
    {STEM_LAYER_CLOUD, "tree cloud"},
    {STEM_LAYER_ISOLINES, "tree isolines"},
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <class Draw>
double MedianMs(int runs, Draw draw) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        wxBitmap bitmap = draw();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!bitmap.IsOk()) {
            std::printf("(no bitmap)\n");
        }
    }
    return Median(times);
}

struct View {
    const char* name;
    double xMin, yMin, xMax, yMax;
};

int Run(int runs, const std::string& path) {
    RenderHelper plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    if (plot.GetOpenStatus() != RenderHelper::OpenStatus::Loaded) {
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(),
                     plot.GetOpenProblem().utf8_str().data());
        return 1;
    }
    const PlotRect full = plot.GetFullExtent();
    const double cx = (full.xMin + full.xMax) / 2;
    const double cy = (full.yMin + full.yMax) / 2;
    const double qw = full.Width() / 8;
    const double qh = full.Height() / 8;
    const View views[] = {
        {"full extent", full.xMin, full.yMin, full.xMax, full.yMax},
        {"400 % zoom", cx - qw, cy - qh, cx + qw, cy + qh},
    };

    std::vector<wxString> trees = plot.GetTreeNames();
    if (trees.empty()) {
        std::fprintf(stderr, "the plot has no trees\n");
        return 1;
    }
    const wxString tree = trees[trees.size() / 2];
    // The first drawing of a tree builds its index table; that is not what
    // is measured here.
    const auto buildStart = Clock::now();
    plot.RenderStemLayers(STEM_LAYER_BLOCKS, tree, kWidth, kHeight);
    const double buildMs =
        std::chrono::duration<double, std::milli>(Clock::now() - buildStart).count();

    std::printf("Layer drawing at %d x %d pixels, median of %d runs (ms)\n", kWidth, kHeight, runs);
    std::printf("%-22s %12s %12s\n", "layer", views[0].name, views[1].name);
    double sums[2] = {0, 0};
    std::vector<double> rows[2];
    for (const Layer& layer : kPlotLayers) {
        double ms[2];
        for (int v = 0; v < 2; ++v) {
            plot.SetView(views[v].xMin, views[v].yMin, views[v].xMax, views[v].yMax);
            ms[v] =
                MedianMs(runs, [&] { return plot.RenderPlotLayers(layer.flag, kWidth, kHeight); });
            sums[v] += ms[v];
        }
        std::printf("%-22s %12.1f %12.1f\n", layer.name, ms[0], ms[1]);
    }
    std::printf("%-22s %12.1f %12.1f\n", "sum of the eleven", sums[0], sums[1]);
    uint32_t all = 0;
    for (const Layer& layer : kPlotLayers) {
        all |= layer.flag;
    }
    double together[2];
    for (int v = 0; v < 2; ++v) {
        plot.SetView(views[v].xMin, views[v].yMin, views[v].xMax, views[v].yMax);
        together[v] = MedianMs(runs, [&] { return plot.RenderPlotLayers(all, kWidth, kHeight); });
    }
    std::printf("%-22s %12.1f %12.1f\n", "eleven in one bitmap", together[0], together[1]);

    std::printf("\nStem layers of tree \"%s\" (its index table built first: %.1f ms)\n",
                tree.utf8_str().data(), buildMs);
    for (const Layer& layer : kStemLayers) {
        double ms[2];
        for (int v = 0; v < 2; ++v) {
            plot.SetView(views[v].xMin, views[v].yMin, views[v].xMax, views[v].yMax);
            ms[v] = MedianMs(
                runs, [&] { return plot.RenderStemLayers(layer.flag, tree, kWidth, kHeight); });
        }
        std::printf("%-22s %12.1f %12.1f\n", layer.name, ms[0], ms[1]);
    }
    return 0;
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv) {
    int runs = 5;
    bool keep = false;
    std::string plotFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--plot" && i + 1 < argc) {
            plotFile = std::filesystem::absolute(argv[++i]).string();
        } else if (arg == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: bench_render [--runs N] [--plot FILE.db] [--keep]\n");
            return 2;
        }
    }
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
        return 1;
    }

    // Log files go to a scratch folder, as does the plot made here.
    std::error_code ignored;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_render." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    if (plotFile.empty()) {
        PlotSpec request;
        request.width = 200;
        request.height = 200;
        request.cell = 1;
        request.trees = 100;
        std::string error;
        std::printf("Making a %g x %g-cell plot with %d trees...\n", request.width / request.cell,
                    request.height / request.cell, request.trees);
        std::fflush(stdout);
        if (!WritePlot("plot.db", request, error)) {
            std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
            return 1;
        }
        plotFile = (folder / "plot.db").string();
    }
    int status = Run(runs, plotFile);
    if (keep) {
        std::printf("kept %s\n", folder.c_str());
    } else {
        std::filesystem::current_path("/", ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
