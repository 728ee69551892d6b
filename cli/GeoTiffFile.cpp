#include "cli/GeoTiffFile.h"

#include <geotiffio.h>
#include <xtiffio.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "base/PendingFile.h"
#include "base/Text.h"

namespace {

// GDAL's own tag for the nodata value, as text: libtiff does not know it.
constexpr ttag_t kGdalNodataTag = 42113;
// What a GeoTIFF key holds.
constexpr int kLargestKeyValue = 65535;

TIFFExtendProc geoTiffExtender = nullptr;

void AddNodataTag(TIFF* tif) {
    static const TIFFFieldInfo field[] = {{kGdalNodataTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
                                           const_cast<char*>("GDALNoDataValue")}};
    TIFFMergeFieldInfo(tif, field, 1);
    if (geoTiffExtender) {
        geoTiffExtender(tif);
    }
}

// libtiff learns its extra tags through one process-wide hook.
void RegisterTags() {
    static std::once_flag once;
    std::call_once(once, [] {
        XTIFFInitialize();
        geoTiffExtender = TIFFSetTagExtender(AddNodataTag);
    });
}

// libtiff's complaints go into the message instead of onto the terminal.
int KeepFirstError(TIFF*, void* userData, const char*, const char* format, va_list args) {
    auto* text = static_cast<std::string*>(userData);
    if (text->empty()) {
        char line[512];
        std::vsnprintf(line, sizeof line, format, args);
        *text = line;
    }
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

std::string NodataText(float nodata) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(nodata));
    return text;
}

bool WriteGeoKeys(TIFF* tif, const ValueGrid& grid, const ProjectedCrs* crs) {
    double scale[3] = {grid.cellSize, grid.cellSize, 0.0};
    double tiepoint[6] = {0.0, 0.0, 0.0, grid.west, grid.North(), 0.0};
    if (!TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale) ||
        !TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tiepoint)) {
        return false;
    }
    // Without a system the file has no GeoTIFF keys at all: a key directory
    // of its own would make GDAL read it in an unnamed engineering system.
    if (!crs) {
        return true;
    }
    GTIF* keys = GTIFNew(tif);
    if (!keys) {
        return false;
    }
    // Each value covers its whole square, the corner at the square's edge.
    GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
    GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
    GTIFKeySet(keys, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, crs->epsg);
    GTIFKeySet(keys, GTCitationGeoKey, TYPE_ASCII, 0, crs->name.c_str());
    const bool written = GTIFWriteKeys(keys) != 0;
    GTIFFree(keys);
    return written;
}

bool WriteImage(TIFF* tif, const ValueGrid& grid, const ProjectedCrs* crs) {
    const float nodata = grid.Nodata();
    const bool tagged = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(grid.columns)) &&
                        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(grid.rows)) &&
                        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
                        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 32) &&
                        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) &&
                        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
                        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
                        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
                        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_FLOATINGPOINT) &&
                        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)) &&
                        TIFFSetField(tif, kGdalNodataTag, NodataText(nodata).c_str()) &&
                        WriteGeoKeys(tif, grid, crs);
    if (!tagged) {
        return false;
    }
    std::vector<float> row(size_t(grid.columns));
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            const size_t at = grid.At(r, c);
            row[size_t(c)] = grid.present[at] ? grid.values[at] : nodata;
        }
        // The predictor changes the row in place.
        if (TIFFWriteScanline(tif, row.data(), uint32_t(r), 0) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

bool WriteGeoTiff(const std::string& path, const ValueGrid& grid, const ProjectedCrs* crs,
                  std::string& error) {
    if (crs && crs->epsg > kLargestKeyValue) {
        error = "EPSG:" + std::to_string(crs->epsg) + " is beyond the codes a GeoTIFF can name (" +
                std::to_string(kLargestKeyValue) + " at most): write an ASCII grid instead";
        return false;
    }
    RegisterTags();
    PendingFile file(path);
    if (!file.Create(error)) {
        return false;
    }
    std::string tiffError;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepFirstError, &tiffError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpenExt(file.TemporaryPath().c_str(), "w", options));
    TIFFOpenOptionsFree(options);
    const bool written = tif && WriteImage(tif.get(), grid, crs);
    tif.reset();
    if (!written || !tiffError.empty()) {
        error = "cannot write " + Quoted(path) + ": " +
                (tiffError.empty() ? std::string("libtiff failed") : tiffError);
        return false;
    }
    return file.Publish(true, error);
}
