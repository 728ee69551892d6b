// A value grid as a GeoTIFF, through libtiff and libgeotiff: one float32
// band, deflate-compressed, placed by its corner and pixel size, with the
// nodata value where GDAL (and so QGIS, R and rasterio) looks for it.
#pragma once

#include <string>

#include "cli/CoordinateSystem.h"
#include "data/ValueGrid.h"

// Writes the grid to path, under a temporary name until it is complete. crs,
// when given, adds the projected system; without it the file carries none.
// False with one line in error.
bool WriteGeoTiff(const std::string& path, const ValueGrid& grid, const ProjectedCrs* crs,
                  std::string& error);
