// Writes realistic plot databases (tables grid and stem) for demonstrations,
// tests and benchmarks. The same request always gives the same file.
#pragma once

#include <cstdint>
#include <string>

#include "data/PlotWriter.h"

struct PlotRequest {
    double width = 60.0;   // metres along x
    double height = 40.0;  // metres along y
    double cell = 1.0;     // side of a square grid cell in metres
    int trees = 40;
    uint32_t seed = 1;
};

// Creates the file at path, which must not exist yet. Returns false with a
// message in error when the request is unusable or the file cannot be written.
bool WritePlot(const std::string& path, const PlotRequest& request, std::string& error);
