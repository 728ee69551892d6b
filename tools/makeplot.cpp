// Writes a demo plot database: a grid of soil cells with one uptake column per
// tree, and the stem table of those trees.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/PlotGenerator.h"

namespace {

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: makeplot OUT.db [--width M] [--height M] [--cell M] [--trees N] "
                 "[--seed S] [--force]\n"
                 "  --width, --height  plot size in metres (default 60 x 40)\n"
                 "  --cell             side of a grid cell in metres (default 1); sizes that\n"
                 "                     binary fractions hold exactly (1, 0.5, 0.25, 2)\n"
                 "                     keep every neighbour of a cell findable\n"
                 "  --trees            number of trees (default 40, at most %d)\n"
                 "  --seed             seed of the generator (default 1): the same arguments\n"
                 "                     always give the same file\n"
                 "  --force            replace OUT.db if it exists\n",
                 kMaxPlotTrees);
}

bool ParseDouble(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool ParseLong(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    PlotRequest request;
    std::string out;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg == "--force") {
            force = true;
            continue;
        }
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "makeplot: %s needs a value\n", arg.c_str());
                return 2;
            }
            const char* value = argv[++i];
            double number = 0.0;
            long long whole = 0;
            bool ok = false;
            if (arg == "--width") {
                ok = ParseDouble(value, number) && (request.width = number, true);
            } else if (arg == "--height") {
                ok = ParseDouble(value, number) && (request.height = number, true);
            } else if (arg == "--cell") {
                ok = ParseDouble(value, number) && (request.cell = number, true);
            } else if (arg == "--trees") {
                ok = ParseLong(value, whole) && whole >= 0 && whole <= kMaxPlotTrees &&
                     (request.trees = static_cast<int>(whole), true);
            } else if (arg == "--seed") {
                ok = ParseLong(value, whole) && whole >= 0 && whole <= 4294967295LL &&
                     (request.seed = static_cast<uint32_t>(whole), true);
            } else {
                std::fprintf(stderr, "makeplot: unknown option %s\n", arg.c_str());
                Usage(stderr);
                return 2;
            }
            if (!ok) {
                std::fprintf(stderr, "makeplot: bad value for %s: %s\n", arg.c_str(), value);
                return 2;
            }
            continue;
        }
        if (!out.empty()) {
            std::fprintf(stderr, "makeplot: more than one output file given\n");
            Usage(stderr);
            return 2;
        }
        out = arg;
    }
    if (out.empty()) {
        Usage(stderr);
        return 2;
    }

    std::error_code ignored;
    if (std::filesystem::exists(out, ignored)) {
        if (!force) {
            std::fprintf(stderr, "makeplot: %s exists; use --force to replace it\n", out.c_str());
            return 1;
        }
        if (!std::filesystem::remove(out, ignored)) {
            std::fprintf(stderr, "makeplot: cannot remove %s\n", out.c_str());
            return 1;
        }
    }
    std::string error;
    if (!WritePlot(out, request, error)) {
        std::fprintf(stderr, "makeplot: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %g x %g m in %g m cells, %d trees, seed %u\n", out.c_str(), request.width,
                request.height, request.cell, request.trees, request.seed);
    return 0;
}
