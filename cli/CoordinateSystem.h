// The coordinate system --crs gives a grid file: a projected system named by
// its EPSG code, looked up in PROJ's database, so that a code that is
// unknown, or one in degrees rather than in the plot's distances, is refused
// before anything is written.
#pragma once

#include <string>

struct ProjectedCrs {
    int epsg = 0;
    std::string name;     // "WGS 84 / UTM zone 33N"
    std::string esriWkt;  // its description for the .prj file beside an ASCII grid
};

// "EPSG:N" (the prefix in any case) into N; false with one line in error.
bool ParseCrsCode(const std::string& text, int& epsg, std::string& error);

// The projected system of that code; false with one line in error.
bool LookUpCrs(int epsg, ProjectedCrs& crs, std::string& error);
