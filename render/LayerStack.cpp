#include "render/LayerStack.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cstring>

#include "render/LayerPixels.h"

namespace {

// Calls take(x, pixel) for every pixel of a row that may show. Layers are
// mostly transparent, so runs of eight that cannot show are passed over at
// once: masked ones, and in a layer with alpha, transparent ones. take
// returns false to stop the walk.
template <class Take>
bool WalkShownPixels(const uint32_t* in, const unsigned char* shown, bool withAlpha, int width,
                     Take take) {
    for (int x = 0; x < width; ++x) {
        if (x % 8 == 0 && x + 8 <= width) {
            uint64_t eight[4];
            if (shown) {
                std::memcpy(eight, shown + x, 8);
                if (eight[0] == 0) {
                    x += 7;
                    continue;
                }
            } else if (withAlpha) {
                std::memcpy(eight, in + x, 32);
                if ((eight[0] | eight[1] | eight[2] | eight[3]) == 0) {
                    x += 7;
                    continue;
                }
            }
        }
        if ((!shown || shown[x] != 0) && !take(x, in[x])) {
            return false;
        }
    }
    return true;
}

// Copies the shown pixels of a layer of the composite's size onto it, as
// drawing it through its mask or alpha does for opaque pixels. False when
// it meets a shown pixel that is not opaque (it must then be blended), or
// when the pixels cannot be reached directly.
bool CopyShownPixels(const wxBitmap& layer, const wxBitmap& composite) {
    MaskPixels mask(layer);
    LayerPixels from(layer);
    LayerPixels to(composite);
    if (!from.IsOk() || !to.IsOk() || (layer.GetMask() && !mask.IsOk()) ||
        from.Width() != to.Width() || from.Height() != to.Height()) {
        return false;
    }
    const bool masked = mask.IsOk();
    for (int y = 0; y < from.Height(); ++y) {
        uint32_t* out = to.Row(y);
        const bool copied =
            WalkShownPixels(from.Row(y), masked ? mask.Row(y) : nullptr, from.HasAlpha(),
                            from.Width(), [&](int x, uint32_t pixel) {
                                const uint32_t alpha = from.HasAlpha() ? pixel >> 24 : 0xFF;
                                if (alpha == 0 && !masked) {
                                    return true;
                                }
                                if (alpha != 0xFF) {
                                    return false;
                                }
                                out[x] = 0xFF000000u | (pixel & 0x00FFFFFFu);
                                return true;
                            });
        if (!copied) {
            return false;
        }
    }
    return true;
}

bool AllOfSize(const std::vector<wxBitmap>& layers, int width, int height) {
    for (const wxBitmap& layer : layers) {
        if (layer.IsOk() && (layer.GetWidth() != width || layer.GetHeight() != height)) {
            return false;
        }
    }
    return true;
}

}  // namespace

wxBitmap StackLayers(const std::vector<wxBitmap>& layers, int width, int height) {
    if (width <= 0 || height <= 0) {
        return wxBitmap();
    }
    wxBitmap composite(width, height, 24);
    wxMemoryDC dc(composite);
    if (auto* gc = dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
        // Layers of the viewer's own size are copied pixel for pixel; only
        // stale cached layers of another size get stretched.
        gc->SetInterpolationQuality(wxINTERPOLATION_NONE);
    }
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    // A first layer without pixels cannot give a scale; draw unscaled then.
    if (!layers.empty() && layers.front().IsOk() && layers.front().GetWidth() > 0 &&
        layers.front().GetHeight() > 0) {
        dc.SetUserScale(double(width) / layers.front().GetWidth(),
                        double(height) / layers.front().GetHeight());
    }
    // Layers of the picture's own size are put down unscaled: their shown
    // pixels are copied, which is what drawing them does, at less cost.
    const bool unscaled = AllOfSize(layers, width, height);
    for (const wxBitmap& layer : layers) {
        if (layer.IsOk() && !(unscaled && CopyShownPixels(layer, composite))) {
            dc.DrawBitmap(layer, 0, 0, true);
        }
    }
    dc.SelectObject(wxNullBitmap);
    return composite;
}

void StackLayerOnto(wxBitmap& picture, const wxBitmap& layer) {
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    if (!layer.IsOk()) {
        return;
    }
    // A copy cut short by a pixel to blend leaves only pixels the drawing
    // below puts down again, the same.
    if (layer.GetWidth() == width && layer.GetHeight() == height &&
        CopyShownPixels(layer, picture)) {
        return;
    }
    picture = StackLayers({picture, layer}, width, height);
}

namespace {

// A pixel that the layer shows, as the converted layer holds it: its colour
// at full alpha, or transparent where that colour is black. Layers are drawn
// opaque; only other pixels need their colour worked out.
uint32_t ShownWithAlpha(const LayerPixels& from, uint32_t pixel) {
    const uint32_t colour =
        from.HasAlpha() && (pixel >> 24) == 0xFF ? pixel : from.Unpremultiplied(pixel);
    return (colour & 0x00FFFFFFu) != 0 ? colour : 0u;
}

// What the conversion through an image gives, straight from the pixels: a
// shown pixel keeps its colour at full alpha, a masked or black one becomes
// transparent black. False when the pixels cannot be reached directly.
bool ConvertPixels(const wxBitmap& masked, wxBitmap& converted) {
    MaskPixels mask(masked);
    LayerPixels from(masked);
    if (!from.IsOk() || (masked.GetMask() && !mask.IsOk())) {
        return false;
    }
    wxBitmap result(from.Width(), from.Height(), 32);
    {
        LayerPixels to(result);
        if (!to.IsOk() || !to.HasAlpha() || to.Width() != from.Width() ||
            to.Height() != from.Height()) {
            return false;
        }
        // The new surface is all transparent black; only shown pixels are written.
        for (int y = 0; y < from.Height(); ++y) {
            uint32_t* out = to.Row(y);
            WalkShownPixels(from.Row(y), mask.IsOk() ? mask.Row(y) : nullptr, from.HasAlpha(),
                            from.Width(), [&](int x, uint32_t pixel) {
                                out[x] = ShownWithAlpha(from, pixel);
                                return true;
                            });
        }
    }
    converted = result;
    return true;
}

}  // namespace

wxBitmap ToAlphaBitmap(const wxBitmap& masked) {
    if (!masked.IsOk()) {
        return wxBitmap();
    }
    wxBitmap converted;
    if (ConvertPixels(masked, converted)) {
        return converted;
    }
    wxImage image = masked.ConvertToImage();
    // A masked pixel comes out of the conversion in the image's mask colour,
    // which need not be black; note it before the mask is dropped.
    const bool hasMask = image.HasMask();
    const unsigned char maskR = hasMask ? image.GetMaskRed() : 0;
    const unsigned char maskG = hasMask ? image.GetMaskGreen() : 0;
    const unsigned char maskB = hasMask ? image.GetMaskBlue() : 0;
    image.SetMask(false);
    if (!image.HasAlpha()) {
        image.SetAlpha();
    }
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    const long count = long(image.GetWidth()) * image.GetHeight();
    for (long i = 0; i < count; ++i) {
        unsigned char* pixel = rgb + 3 * i;
        const bool black = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
        const bool maskColour =
            hasMask && pixel[0] == maskR && pixel[1] == maskG && pixel[2] == maskB;
        if (black || maskColour) {
            pixel[0] = pixel[1] = pixel[2] = 0;
            alpha[i] = 0;
        } else {
            alpha[i] = 255;
        }
    }
    return wxBitmap(image, 32);
}

namespace {

// Most rows of a layer are opaque (drawn over opaque black): there a pixel
// is transparent exactly when it is black. Written so that the compiler
// does several pixels at once.
bool AllOpaque(const uint32_t* row, int width) {
    uint32_t all = 0xFF000000u;
    for (int x = 0; x < width; ++x) {
        all &= row[x];
    }
    return all == 0xFF000000u;
}

void ClearBlack(uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        row[x] = (row[x] & 0x00FFFFFFu) != 0 ? row[x] : 0u;
    }
}

}  // namespace

bool ConvertToAlpha(wxBitmap& drawn) {
    if (!drawn.IsOk() || drawn.GetMask()) {
        return false;
    }
    LayerPixels pixels(drawn);
    if (!pixels.IsOk() || !pixels.HasAlpha()) {
        return false;
    }
    for (int y = 0; y < pixels.Height(); ++y) {
        uint32_t* row = pixels.Row(y);
        if (AllOpaque(row, pixels.Width())) {
            ClearBlack(row, pixels.Width());
            continue;
        }
        // A black pixel is what the mask of black hides.
        for (int x = 0; x < pixels.Width(); ++x) {
            row[x] = (row[x] & 0x00FFFFFFu) == 0 ? 0u : ShownWithAlpha(pixels, row[x]);
        }
    }
    return true;
}
