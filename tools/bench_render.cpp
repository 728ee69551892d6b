// Measures how long drawing takes at 1000 x 800 pixels, as ratios to the
// floor measured in the same run (SQLite summing every tree value of the grid
// inside its engine) and, in brackets, to the earlier floor (every value
// fetched through SQLite's interface), on the benchmark plots:
//   - reopening the plot (index tables built) with the uptake blocks drawn;
//   - every plot layer over the full extent and zoomed to 400 %;
//   - the three layers of one tree whose data are at hand;
//   - a full redraw after a pan, as the window makes it: all eleven plot
//     layers and the three tree layers of ten selected trees (their tables
//     built), each converted for alpha drawing, the overlay, and the stack,
//     after a first drawing of them (timed on its own line);
//   - the export of all eleven plot layers and the three layers of ten
//     trees (41 layers) beside the export of the uptake blocks alone, each
//     from a fresh opening of the plot whose tables are built: what the
//     forty layers more cost is compared with the floor;
//   - the data of those ten trees (tables built) gathered one by one, and in
//     one pass, each from a fresh opening.
// Reports medians of several drawings.
//
//   bench_render [--runs N] [--plot standard|million|four-million|all] [--file FILE.db]
//                [--only reopen|layers|tree|pan|export] [--keep]
//
// Needs a display; on a machine without one run it under xvfb-run.
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/HugePages.h"
#include "cli/ExportCommand.h"
#include "render/Composer.h"
#include "render/LayerStack.h"
#include "render/LayerTable.h"
#include "render/PlotPixels.h"
#include "render/RenderHelper.h"
#include "tools/BenchSupport.h"

namespace {

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

using bench::Clock;

const int kWidth = 1000;
const int kHeight = 800;
const int kSelectedTrees = 10;

// The median time of several runs of one drawing, in milliseconds.
double MedianMs(int runs, const std::function<void()>& draw) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        draw();
        times.push_back(bench::Millis(start));
    }
    return bench::Median(times);
}

struct View {
    const char* name;
    PlotRect rect;
};

// The catalogue's layers by position, as the window stacks them.
std::vector<const LayerDef*> LayersByPosition() {
    std::vector<const LayerDef*> layers;
    for (const LayerDef& layer : LayerCatalogue()) {
        layers.push_back(&layer);
    }
    return ByPosition(layers);
}

// The window's redraw after a pan: every layer drawn again, each converted
// for alpha drawing, then the overlay and the viewer's stack.
wxBitmap RedrawAll(RenderHelper& plot, const std::vector<wxString>& trees) {
    const Scene scene{LayersByPosition(), trees, plot.GetView(), kWidth, kHeight, {}};
    std::vector<wxBitmap> stack;
    ComposeLayers(plot, scene, [&stack](const wxBitmap& layer) { stack.push_back(layer); });
    return StackLayers(stack, kWidth, kHeight);
}

// Ten trees spread over the plot's list, as a user might pick them.
std::vector<wxString> SelectTrees(const std::vector<wxString>& names) {
    std::vector<wxString> chosen;
    const size_t count = std::min<size_t>(kSelectedTrees, names.size());
    for (size_t i = 0; i < count; ++i) {
        chosen.push_back(names[i * names.size() / count]);
    }
    return chosen;
}

class PlotBench {
  public:
    PlotBench(const std::string& path, int runs, const std::string& only)
        : path(path), runs(runs), only(only) {}

    int Run() {
        // The first opening builds the index tables; it is bench_open's subject.
        const PlotOpening opening =
            PlotFile(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0)).GetOpening();
        if (opening.status != PlotOpening::Status::Accepted) {
            std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(),
                         opening.problem.utf8_str().data());
            return 1;
        }
        MeasureFloor();
        if (Wanted("reopen")) {
            ReopenWithBlocks();
        }
        RenderHelper helper(Open());
        const std::vector<wxString> trees = helper.GetTreeNames();
        if (trees.empty()) {
            std::fprintf(stderr, "the plot has no trees\n");
            return 1;
        }
        if (Wanted("layers")) {
            PlotLayers(helper);
        }
        if (Wanted("tree")) {
            TreeLayers(helper, trees[trees.size() / 2]);
        }
        if (Wanted("pan")) {
            PanRedraw(helper, SelectTrees(trees));
        }
        if (Wanted("export")) {
            ExportAll(SelectTrees(trees));
            GatherTrees(SelectTrees(trees));
        }
        MeasureFloor();
        std::printf("floor (grid summed inside SQLite), median of %zu reads: %.1f ms\n",
                    floors.size(), Floor());
        std::printf("earlier floor (every value fetched), median: %.1f ms\n", EarlierFloor());
        std::printf("peak resident memory of this run so far: %.0f MiB\n", bench::PeakRssMiB());
        return 0;
    }

  private:
    std::string path;
    int runs;
    std::string only;
    std::vector<double> floors;
    std::vector<double> earlierFloors;

    std::unique_ptr<PlotFile> Open() const {
        return std::make_unique<PlotFile>(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    }

    bool Wanted(const char* scenario) const { return only.empty() || only == scenario; }

    double Floor() const { return bench::Median(floors); }
    double EarlierFloor() const { return bench::Median(earlierFloors); }

    // Read before and after the drawings, so that a change of load shows in both.
    void MeasureFloor() {
        for (int i = 0; i < runs; ++i) {
            floors.push_back(bench::SumGridInEngine(path) * 1000.0);
            earlierFloors.push_back(bench::ReadGridOnce(path) * 1000.0);
        }
    }

    void Line(const char* name, double ms) const {
        std::printf("%-34s %9.1f ms %7.2f x floor (%5.2f x)\n", name, ms, ms / Floor(),
                    ms / EarlierFloor());
    }

    void ReopenWithBlocks() {
        const double ms = MedianMs(runs, [&] {
            RenderHelper plot(Open());
            ToAlphaBitmap(plot.RenderPlotLayers(LAYER_UPTAKE_BLOCKS, kWidth, kHeight));
        });
        Line("reopening with uptake blocks drawn", ms);
    }

    void PlotLayers(RenderHelper& plot) {
        const PlotRect full = plot.GetFullExtent();
        const double cx = (full.xMin + full.xMax) / 2;
        const double cy = (full.yMin + full.yMax) / 2;
        const double qw = full.Width() / 8;
        const double qh = full.Height() / 8;
        const View views[] = {
            {"full extent", full},
            {"400 % zoom", {cx - qw, cy - qh, cx + qw, cy + qh}},
        };
        std::printf("%-22s %14s %14s   (ms, x floor)\n", "layer", views[0].name, views[1].name);
        uint32_t all = 0;
        for (const LayerDef* layer : LayersByPosition()) {
            if (layer->group != LayerGroup::Plot) {
                continue;
            }
            all |= layer->flag;
            double ms[2];
            for (int v = 0; v < 2; ++v) {
                const PlotRect& r = views[v].rect;
                plot.SetView(r.xMin, r.yMin, r.xMax, r.yMax);
                ms[v] =
                    MedianMs(runs, [&] { plot.RenderPlotLayers(layer->flag, kWidth, kHeight); });
            }
            std::printf("%-22s %7.1f %6.2f %7.1f %6.2f\n", layer->key, ms[0], ms[0] / Floor(),
                        ms[1], ms[1] / Floor());
        }
        double together[2];
        for (int v = 0; v < 2; ++v) {
            const PlotRect& r = views[v].rect;
            plot.SetView(r.xMin, r.yMin, r.xMax, r.yMax);
            together[v] = MedianMs(runs, [&] { plot.RenderPlotLayers(all, kWidth, kHeight); });
        }
        std::printf("%-22s %7.1f %6.2f %7.1f %6.2f\n", "eleven in one bitmap", together[0],
                    together[0] / Floor(), together[1], together[1] / Floor());
        plot.SetView(full.xMin, full.yMin, full.xMax, full.yMax);
    }

    void TreeLayers(RenderHelper& plot, const wxString& tree) {
        // The first drawing builds the tree's index table and gathers its data.
        const auto start = Clock::now();
        plot.RenderStemLayers(STEM_LAYER_BLOCKS, tree, kWidth, kHeight);
        std::printf(
            "\ntree \"%s\", full extent (its table built and data gathered first: %.1f ms)\n",
            tree.utf8_str().data(), bench::Millis(start));
        for (const LayerDef* layer : LayersByPosition()) {
            if (layer->group == LayerGroup::Tree) {
                Line(layer->key, MedianMs(runs, [&] {
                         plot.RenderStemLayers(layer->flag, tree, kWidth, kHeight);
                     }));
            }
        }
    }

    void PanRedraw(RenderHelper& plot, const std::vector<wxString>& trees) {
        for (const wxString& tree : trees) {
            plot.AddHighlightedStem(tree);
            plot.RenderStemLayers(STEM_LAYER_BLOCKS, tree, kWidth, kHeight);
        }
        // The map as the window shows it once the trees are selected; what
        // its first drawing reads for good is not the pan's.
        const double firstMs = MedianMs(1, [&] { RedrawAll(plot, trees); });
        char name[64];
        std::snprintf(name, sizeof name, "first drawing, %zu trees", trees.size());
        Line(name, firstMs);
        // Each redraw follows a pan of 20 pixels to the right.
        int runIndex = 0;
        const double ms = MedianMs(runs, [&] {
            const PlotRect panned =
                PannedView(plot.GetView(), kWidth, kHeight, runIndex++ % 2 ? -20 : 20, 0);
            plot.SetView(panned.xMin, panned.yMin, panned.xMax, panned.yMax);
            RedrawAll(plot, trees);
        });
        std::printf("\n");
        std::snprintf(name, sizeof name, "redraw after a pan, %zu trees", trees.size());
        Line(name, ms);
    }

    // One export of the plot, as `quenvar --export` makes it; milliseconds.
    double ExportMs(const std::vector<const LayerDef*>& layers,
                    const std::vector<wxString>& trees) const {
        ExportRequest request;
        request.outputPath = "bench-export.png";
        request.databasePath = path;
        request.picture.width = kWidth;
        request.picture.height = kHeight;
        request.picture.layers = layers;
        for (const wxString& tree : trees) {
            request.picture.stems.push_back(tree.utf8_str().data());
        }
        std::string error;
        std::string warning;
        const auto start = Clock::now();
        if (!ExportPicture(request, error, warning)) {
            std::fprintf(stderr, "export failed: %s\n", error.c_str());
        }
        return bench::Millis(start);
    }

    void ExportAll(const std::vector<wxString>& trees) {
        const std::vector<const LayerDef*> all = LayersByPosition();
        const std::vector<const LayerDef*> blocks = {FindLayer("uptake-blocks")};
        // The first export builds the trees' tables; the plot is then as reopened.
        ExportMs(all, trees);
        std::vector<double> both;
        std::vector<double> one;
        for (int i = 0; i < runs; ++i) {
            both.push_back(ExportMs(all, trees));
            one.push_back(ExportMs(blocks, {}));
        }
        const double more = bench::Median(both) - bench::Median(one);
        std::printf("\n");
        size_t drawn = 0;
        for (const LayerDef* layer : all) {
            drawn += layer->group == LayerGroup::Tree ? trees.size() : 1;
        }
        char name[64];
        std::snprintf(name, sizeof name, "export, %zu layers", drawn);
        Line(name, bench::Median(both));
        Line("export, uptake blocks alone", bench::Median(one));
        Line("the difference", more);
    }

    void GatherTrees(const std::vector<wxString>& trees) {
        std::vector<double> oneByOne;
        std::vector<double> onePass;
        for (int i = 0; i < runs; ++i) {
            std::unique_ptr<PlotFile> plot = Open();
            auto start = Clock::now();
            for (const wxString& tree : trees) {
                plot->GetTreeGrid(tree);
            }
            oneByOne.push_back(bench::Millis(start));
            plot = Open();
            start = Clock::now();
            plot->GatherTrees(trees);
            onePass.push_back(bench::Millis(start));
        }
        char name[64];
        std::snprintf(name, sizeof name, "%zu trees' data, one by one", trees.size());
        Line(name, bench::Median(oneByOne));
        std::snprintf(name, sizeof name, "%zu trees' data, in one pass", trees.size());
        Line(name, bench::Median(onePass));
    }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv) {
    bench::Options options;
    std::string file;
    std::string only;
    const bool read =
        bench::ReadOptions(argc, argv, options, [&](const std::string& option, const char* value) {
            if (option == "--file" && value) {
                file = std::filesystem::absolute(value).string();
                return 2;
            }
            if (option == "--only" && value) {
                only = value;
                return 2;
            }
            return 0;
        });
    if (!read) {
        std::fprintf(stderr,
                     "usage: bench_render [--runs N] [--plot standard|million|four-million|all] "
                     "[--file FILE.db] [--only reopen|layers|tree|pan|export] [--keep]\n");
        return 2;
    }
    KeepFreedMemoryForReuse();  // as the program does
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
        return 1;
    }

    // Log files go to a scratch folder, as do the plots made here.
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::printf("Drawing benchmark at %d x %d pixels, medians of %d runs\n", kWidth, kHeight,
                options.runs);
    int status = 0;
    if (!file.empty()) {
        std::printf("\n%s\n", file.c_str());
        status = PlotBench(file, options.runs, only).Run();
    }
    for (size_t i = 0; file.empty() && i < options.plots.size() && status == 0; ++i) {
        const bench::Plot& plot = options.plots[i];
        const std::string made = folder.Path() + "/" + plot.key + ".db";
        std::string error;
        if (!WritePlot(made, plot.request, error)) {
            std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
            status = 1;
            break;
        }
        std::printf("\nPlot of %s (as `%s`)\n", plot.title, plot.command.c_str());
        std::fflush(stdout);
        status = PlotBench(made, options.runs, only).Run();
    }
    if (options.keep) {
        std::printf("kept %s\n", folder.Path().c_str());
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
