#include "cli/GridFormats.h"

#include <strings.h>

#include <charconv>
#include <filesystem>

#include "base/Text.h"
#include "cli/GeoTiffFile.h"
#include "cli/StatsCommand.h"

const char* const kGridEndings = ".tif, .asc or .csv";

namespace {

struct Ending {
    const char* text;
    GridFormat format;
};

const Ending kEndings[] = {{".tif", GridFormat::GeoTiff},
                           {".tiff", GridFormat::GeoTiff},
                           {".asc", GridFormat::AsciiGrid},
                           {".csv", GridFormat::Csv}};

// The shortest text that reads back as the same float32, whatever the locale.
void AppendValue(std::string& text, float value) {
    char number[32];
    const auto result = std::to_chars(number, number + sizeof number, value + 0.0f);
    text.append(number, result.ptr);
}

// The shortest text that reads back as the same double.
void AppendPosition(std::string& text, double value) {
    char number[32];
    const auto result = std::to_chars(number, number + sizeof number, value + 0.0);
    text.append(number, result.ptr);
}

std::string Header(const char* name, double value) {
    std::string line = name;
    line.resize(14, ' ');
    AppendPosition(line, value);
    return line + "\n";
}

}  // namespace

std::optional<GridFormat> GridFormatOf(const std::string& path) {
    for (const Ending& ending : kEndings) {
        const size_t size = std::char_traits<char>::length(ending.text);
        if (path.size() > size && strcasecmp(path.c_str() + path.size() - size, ending.text) == 0) {
            return ending.format;
        }
    }
    return std::nullopt;
}

std::string AsciiGridText(const ValueGrid& grid) {
    std::string text = Header("ncols", grid.columns) + Header("nrows", grid.rows) +
                       Header("xllcorner", grid.west) + Header("yllcorner", grid.south) +
                       Header("cellsize", grid.cellSize) + Header("NODATA_value", grid.Nodata());
    const float nodata = grid.Nodata();
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            const size_t at = grid.At(r, c);
            if (c > 0) {
                text += ' ';
            }
            AppendValue(text, grid.present[at] ? grid.values[at] : nodata);
        }
        text += '\n';
    }
    return text;
}

std::string GridCsvText(const ValueGrid& grid) {
    std::string text = "x,y,value\n";
    for (int r = 0; r < grid.rows; ++r) {
        const double y = grid.south + (grid.rows - r - 0.5) * grid.cellSize;
        for (int c = 0; c < grid.columns; ++c) {
            const size_t at = grid.At(r, c);
            if (!grid.present[at]) {
                continue;
            }
            AppendPosition(text, grid.west + (c + 0.5) * grid.cellSize);
            text += ',';
            AppendPosition(text, y);
            text += ',';
            AppendValue(text, grid.values[at]);
            text += '\n';
        }
    }
    return text;
}

std::string ProjectionFileOf(const std::string& path) {
    return path.substr(0, path.size() - 4) + ".prj";
}

bool CheckGridOutput(const std::string& path, bool withCrs, std::string& error) {
    const std::optional<GridFormat> format = GridFormatOf(path);
    if (!format) {
        error = "cannot tell the grid format of " + Quoted(path) + ": its name must end in " +
                kGridEndings;
        return false;
    }
    if (withCrs && *format == GridFormat::Csv) {
        error =
            "a CSV file has no place for a coordinate system: --crs goes with a .tif or .asc "
            "grid";
        return false;
    }
    return true;
}

std::string ProjectionWarning(const std::string& path, bool withCrs) {
    std::error_code code;
    if (withCrs || GridFormatOf(path) != GridFormat::AsciiGrid ||
        !std::filesystem::exists(ProjectionFileOf(path), code)) {
        return std::string();
    }
    return Quoted(ProjectionFileOf(path)) +
           " lies beside the grid, and GIS programs will read the grid in the coordinate system "
           "it names: remove it if that is not the plot's";
}

bool WriteGridFile(const std::string& path, const ValueGrid& grid, const ProjectedCrs* crs,
                   std::string& error) {
    if (!CheckGridOutput(path, crs != nullptr, error)) {
        return false;
    }
    switch (*GridFormatOf(path)) {
        case GridFormat::GeoTiff:
            return WriteGeoTiff(path, grid, crs, error);
        case GridFormat::AsciiGrid:
            // The grid last, so that it is never read with another system than its own.
            return (!crs || WriteTextFile(ProjectionFileOf(path), crs->esriWkt + "\n", error)) &&
                   WriteTextFile(path, AsciiGridText(grid), error);
        case GridFormat::Csv:
            return WriteTextFile(path, GridCsvText(grid), error);
    }
    return false;
}
