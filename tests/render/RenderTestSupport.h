// Helpers of the rendering tests: small plot databases made with plain SQL,
// and exact pixel reads of layer bitmaps.
#pragma once

#include <wx/bitmap.h>
#include <wx/image.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "render/RenderHelper.h"

struct Rgb {
    int r;
    int g;
    int b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

const Rgb kBlack{0, 0, 0};

// The pixels of a layer bitmap as drawn. Converting a masked bitmap would
// paint its transparent pixels in a stand-in colour, so the mask is left off.
inline wxImage Pixels(const wxBitmap& bitmap) {
    wxBitmap unmasked = bitmap;
    if (unmasked.GetMask() != nullptr) {
        unmasked.SetMask(nullptr);
    }
    return unmasked.ConvertToImage();
}

inline Rgb PixelAt(const wxImage& image, int x, int y) {
    return Rgb{image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// Every colour in the picture with its number of pixels.
inline std::map<Rgb, int> ColorCounts(const wxImage& image) {
    std::map<Rgb, int> counts;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            ++counts[PixelAt(image, x, y)];
        }
    }
    return counts;
}

// A grid table with one row per cell of cells (x, y) -> value per tree.
// Values are declared double so that every one is read as a real.
struct PlotCell {
    double x;
    double y;
    std::vector<double> values;
};

inline void CreateGrid(const std::string& db, const std::vector<std::string>& trees,
                       const std::vector<PlotCell>& cells) {
    std::string sql = "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double";
    for (const std::string& tree : trees) {
        std::string quoted;
        for (char c : tree) {
            quoted += c;
            if (c == '"') {
                quoted += c;
            }
        }
        sql += ", \"" + quoted + "\" double";
    }
    sql += "); BEGIN;";
    int id = 1;
    for (const PlotCell& cell : cells) {
        sql += "INSERT INTO grid VALUES(" + std::to_string(id++) + ", " + std::to_string(cell.x) +
               ", " + std::to_string(cell.y);
        for (double v : cell.values) {
            sql += ", " + std::to_string(v);
        }
        sql += ");";
    }
    sql += "COMMIT;";
    ExecSql(db, sql);
}

struct PlotStem {
    std::string tree;
    double x;
    double y;
    double dbh;
    double crown;
};

inline void CreateStems(const std::string& db, const std::vector<PlotStem>& stems) {
    std::string sql =
        "CREATE TABLE stem (Tree text, Xrot0 double, Yrot0 double, dbh double, Crown_d_m "
        "double); BEGIN;";
    for (const PlotStem& s : stems) {
        std::string literal;
        for (char c : s.tree) {
            literal += c;
            if (c == '\'') {
                literal += c;
            }
        }
        sql += "INSERT INTO stem VALUES('" + literal + "', " + std::to_string(s.x) + ", " +
               std::to_string(s.y) + ", " + std::to_string(s.dbh) + ", " + std::to_string(s.crown) +
               ");";
    }
    sql += "COMMIT;";
    ExecSql(db, sql);
}

inline std::unique_ptr<RenderHelper> OpenPlot(const std::string& db) {
    return std::make_unique<RenderHelper>(
        std::make_unique<PlotFile>(wxString::FromUTF8(db), ProgressMonitor(0, 0)));
}

// A count of rand() calls since srand(seed): the draws made by the code in
// between, found by replaying the sequence up to the next value.
inline int RandCallsSince(unsigned seed) {
    int next = std::rand();
    std::srand(seed);
    for (int calls = 0; calls < 1000000; ++calls) {
        if (std::rand() == next) {
            return calls;
        }
    }
    return -1;
}
