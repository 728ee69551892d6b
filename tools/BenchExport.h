// One export as `quenvar --export OUT --size 1000x800 --layers LAYERS PLOT`
// makes it, timed, for the benchmarks that time exports.
#pragma once

#include <cstdio>
#include <string>

#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "tools/BenchSupport.h"

namespace bench {

// Seconds; below 0, and said, when the export failed.
inline double ExportSeconds(const std::string& plot, const std::string& out,
                            const std::string& layers) {
    const CommandLine line =
        ParseCommandLine({"--export", out, "--size", "1000x800", "--layers", layers, plot});
    std::string error;
    std::string warning;
    const auto start = Clock::now();
    if (!ExportPicture(line.request, error, warning)) {
        std::fprintf(stderr, "export failed: %s\n", error.c_str());
        return -1.0;
    }
    return Seconds(start);
}

}  // namespace bench
