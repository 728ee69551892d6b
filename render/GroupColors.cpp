#include "render/GroupColors.h"

#include <cmath>

namespace {

// Tableau's ten colours, made for categories that sit side by side.
const unsigned kFirstColors[] = {0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F,
                                 0xEDC948, 0xB07AA1, 0xFF9DA7, 0x9C755F, 0xBAB0AC};
constexpr int kFirstCount = int(sizeof kFirstColors / sizeof kFirstColors[0]);

// A colour of hue h (0 to 1), saturation s and value v.
wxColour FromHsv(double h, double s, double v) {
    const double sector = std::fmod(h, 1.0) * 6.0;
    const int i = int(sector);
    const double f = sector - i;
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    const double* c = rgb[i % 6];
    return wxColour(static_cast<unsigned char>(c[0] * 255), static_cast<unsigned char>(c[1] * 255),
                    static_cast<unsigned char>(c[2] * 255));
}

}  // namespace

wxColour GroupColor(int index) {
    if (index < 0) {
        return wxColour(128, 128, 128);
    }
    if (index < kFirstCount) {
        const unsigned rgb = kFirstColors[index];
        return wxColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    // The golden angle keeps each new hue far from those before it; the
    // brightness alternates so that neighbouring hues still differ.
    const int k = index - kFirstCount;
    const double hue = 0.07 + k * 0.381966;
    return FromHsv(hue, 0.7, k % 2 == 0 ? 0.9 : 0.65);
}
