// Helpers of the rendering tests: opening the plots of TestPlot.h, and exact
// pixel reads of layer bitmaps.
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

#include "TestPlot.h"
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
