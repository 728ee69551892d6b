// Direct access to the pixels of a cairo image surface: a layer image, or a
// layer bitmap of the window where the toolkit keeps its pixels for drawing
// (a cairo image surface under GTK 3). Filling, masking and converting a
// layer this way costs one pass over its pixels, where the toolkit's own
// conversions copy the picture into other formats and back.
#pragma once

#include <cairo.h>
#include <wx/bitmap.h>
#include <wx/colour.h>

#include <cstdint>

class LayerPixels {
  public:
    // The surface keeps its pixels where drawing finds them; changes made
    // through Row are handed back when this object goes. Not ok for a
    // surface that is not an image of 32-bit pixels.
    explicit LayerPixels(cairo_surface_t* surface);
    // The same for the surface of a toolkit bitmap.
    explicit LayerPixels(const wxBitmap& bitmap);
    ~LayerPixels();
    LayerPixels(const LayerPixels&) = delete;
    LayerPixels& operator=(const LayerPixels&) = delete;

    // False when the bitmap's pixels cannot be reached this way; callers
    // then go through the toolkit.
    bool IsOk() const { return data != nullptr; }
    int Width() const { return width; }
    int Height() const { return height; }
    // One row of 0xAARRGGBB words, colour channels premultiplied by alpha.
    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(data + y * stride); }
    // True when the alpha byte counts (otherwise every pixel is opaque).
    bool HasAlpha() const { return withAlpha; }

    // The pixel as an opaque 0xFFRRGGBB word of its colour, as the toolkit
    // reads a pixel out (colour divided by alpha, rounded; 0 where alpha is 0).
    uint32_t Unpremultiplied(uint32_t pixel) const {
        if (!withAlpha) {
            return 0xFF000000u | (pixel & 0x00FFFFFFu);
        }
        const uint32_t alpha = pixel >> 24;
        if (alpha == 255) {
            return pixel;
        }
        if (alpha == 0) {
            return 0xFF000000u;
        }
        auto channel = [&](int shift) {
            return (((pixel >> shift) & 0xFFu) * 255 + alpha / 2) / alpha;
        };
        return 0xFF000000u | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }

    // The word of an opaque colour.
    static uint32_t Opaque(const wxColour& color) {
        return 0xFF000000u | (uint32_t(color.Red()) << 16) | (uint32_t(color.Green()) << 8) |
               uint32_t(color.Blue());
    }

  private:
    void Attach(cairo_surface_t* target);

    cairo_t* context = nullptr;
    cairo_surface_t* surface = nullptr;
    unsigned char* data = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    bool withAlpha = false;
};

// The bytes of a bitmap's mask, one per pixel, 0 where it is transparent.
class MaskPixels {
  public:
    // Not ok when the bitmap has no mask of its own size that can be read so.
    explicit MaskPixels(const wxBitmap& bitmap);
    bool IsOk() const { return data != nullptr; }
    const unsigned char* Row(int y) const { return data + y * stride; }

  private:
    const unsigned char* data = nullptr;
    int stride = 0;
};

// A mask of the bitmap's black pixels (black transparent, all else shown),
// made from the pixels directly; null when they cannot be reached so.
wxMask* MaskOfBlack(const wxBitmap& bitmap);
