// `quenvar grid FILE.db --layer KEY --output OUT`: the values behind the
// map as a grid file for GIS programs, R and Python (GeoTIFF, ESRI ASCII
// grid or CSV), one pixel per grid cell of the whole plot.
#pragma once

#include <optional>
#include <string>

#include "data/ValueLayers.h"

struct GridRequest {
    std::string databasePath;
    ValueLayerChoice layer;
    std::optional<int> crs;  // the EPSG code of --crs
    std::string outputPath;
    std::string comparePath;  // --compare: the other plot of a difference layer
};

// The usage of the command, for messages and the help.
extern const char* const kGridUsage;

// Opens the file as the export does (the same checks and messages, building
// the index tables when they are missing) and writes the grid. Needs no
// display. Returns the exit code: 0 when it was written, 2 with one line on
// standard error otherwise.
int RunGridCommand(const GridRequest& request);
