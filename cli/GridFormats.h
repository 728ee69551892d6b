// The files a value grid is written to, chosen by the name's ending: a
// GeoTIFF (.tif, .tiff), an ESRI ASCII grid (.asc) or a CSV table of x,y,value
// (.csv). Each is written under a temporary name and renamed when complete.
#pragma once

#include <optional>
#include <string>

#include "cli/CoordinateSystem.h"
#include "data/ValueGrid.h"

enum class GridFormat { GeoTiff, AsciiGrid, Csv };

// The format a name asks for, by its ending in any case; none for another ending.
std::optional<GridFormat> GridFormatOf(const std::string& path);
// The endings, for messages: ".tif, .asc or .csv".
extern const char* const kGridEndings;

// The ASCII grid: a header of the size, the lower-left corner, the cell size
// and the nodata value, then one line per row, north row first.
std::string AsciiGridText(const ValueGrid& grid);
// A header "x,y,value", then one line per cell, north row first and west to
// east: the cell's centre, as GIS programs read such tables, and its value.
// Squares without a cell have no line.
std::string GridCsvText(const ValueGrid& grid);

// Whether a grid may be written to path: its ending names a format, and
// one that can hold a coordinate system when withCrs. False with one line in error.
bool CheckGridOutput(const std::string& path, bool withCrs, std::string& error);
// A note when an ASCII grid written without a coordinate system would be
// read with the one a .prj file of its name, left from before, names; empty
// otherwise.
std::string ProjectionWarning(const std::string& path, bool withCrs);

// Writes the grid in the format its name asks for. crs adds the projected
// system: inside a GeoTIFF, in a .prj file of the same name beside an ASCII
// grid (a CSV has no place for one). False with one line in error.
bool WriteGridFile(const std::string& path, const ValueGrid& grid, const ProjectedCrs* crs,
                   std::string& error);

// The .prj file an ASCII grid at path is read with: GIS programs give the
// grid the system it names.
std::string ProjectionFileOf(const std::string& path);
