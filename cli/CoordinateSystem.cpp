#include "cli/CoordinateSystem.h"

#include <proj.h>
#include <strings.h>

#include <charconv>
#include <memory>

namespace {

const char* const kCrsForm = "--crs needs an EPSG code such as EPSG:32633";

struct ContextDeleter {
    void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct ObjectDeleter {
    void operator()(PJ* object) const { proj_destroy(object); }
};

std::string Code(int epsg) {
    return "EPSG:" + std::to_string(epsg);
}

}  // namespace

bool ParseCrsCode(const std::string& text, int& epsg, std::string& error) {
    const size_t colon = text.find(':');
    if (colon != 4 || strncasecmp(text.c_str(), "EPSG", 4) != 0) {
        error = std::string(kCrsForm) + ", not \"" + text + "\"";
        return false;
    }
    const char* first = text.c_str() + colon + 1;
    const char* last = text.c_str() + text.size();
    const auto [end, code] = std::from_chars(first, last, epsg);
    if (code != std::errc() || end != last || first == last || epsg <= 0) {
        error = std::string(kCrsForm) + ", not \"" + text + "\"";
        return false;
    }
    return true;
}

bool LookUpCrs(int epsg, ProjectedCrs& crs, std::string& error) {
    std::unique_ptr<PJ_CONTEXT, ContextDeleter> context(proj_context_create());
    proj_log_level(context.get(), PJ_LOG_NONE);
    std::unique_ptr<PJ, ObjectDeleter> found(proj_create_from_database(
        context.get(), "EPSG", std::to_string(epsg).c_str(), PJ_CATEGORY_CRS, 0, nullptr));
    if (!found) {
        // A database that opened but has no such code is the common case.
        error = proj_context_get_database_path(context.get())
                    ? Code(epsg) + " is not a coordinate system in PROJ's database"
                    : "cannot look up " + Code(epsg) +
                          ": PROJ's database (proj.db) is missing; install the package proj-data";
        return false;
    }
    const char* name = proj_get_name(found.get());
    const std::string named = Code(epsg) + " (" + (name ? name : "") + ")";
    const PJ_TYPE type = proj_get_type(found.get());
    if (type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS) {
        error = named +
                " is in degrees of latitude and longitude, but plot coordinates are distances: "
                "give the projected system they are in (a UTM zone, say)";
        return false;
    }
    if (type != PJ_TYPE_PROJECTED_CRS) {
        error = named +
                " is not a projected coordinate system: give the projected system the "
                "plot's coordinates are in (a UTM zone, say)";
        return false;
    }
    const char* wkt = proj_as_wkt(context.get(), found.get(), PJ_WKT1_ESRI, nullptr);
    crs.epsg = epsg;
    crs.name = name ? name : "";
    crs.esriWkt = wkt ? wkt : "";
    return true;
}
