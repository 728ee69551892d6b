#include "render/LayerPixels.h"

#include <cstring>

LayerPixels::LayerPixels(cairo_surface_t* surface) {
    Attach(surface);
}

LayerPixels::LayerPixels(const wxBitmap& bitmap) {
    if (!bitmap.IsOk()) {
        return;
    }
    context = bitmap.CairoCreate();
    if (context) {
        Attach(cairo_get_target(context));
    }
}

void LayerPixels::Attach(cairo_surface_t* target) {
    if (!target || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) {
        return;
    }
    const cairo_format_t format = cairo_image_surface_get_format(target);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        return;
    }
    cairo_surface_flush(target);
    surface = target;
    data = cairo_image_surface_get_data(target);
    stride = cairo_image_surface_get_stride(target);
    width = cairo_image_surface_get_width(target);
    height = cairo_image_surface_get_height(target);
    withAlpha = format == CAIRO_FORMAT_ARGB32;
}

LayerPixels::~LayerPixels() {
    if (surface) {
        cairo_surface_mark_dirty(surface);
    }
    if (context) {
        cairo_destroy(context);
    }
}

MaskPixels::MaskPixels(const wxBitmap& bitmap) {
    wxMask* mask = bitmap.IsOk() ? bitmap.GetMask() : nullptr;
    cairo_surface_t* surface = mask ? static_cast<cairo_surface_t*>(*mask) : nullptr;
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_A8 ||
        cairo_image_surface_get_width(surface) != bitmap.GetWidth() ||
        cairo_image_surface_get_height(surface) != bitmap.GetHeight()) {
        return;
    }
    cairo_surface_flush(surface);
    data = cairo_image_surface_get_data(surface);
    stride = cairo_image_surface_get_stride(surface);
}

// The toolkit's mask of a colour is an 8-bit surface, 255 where the pixel is
// shown and 0 where it is transparent; it takes over the surface.
wxMask* MaskOfBlack(const wxBitmap& bitmap) {
    LayerPixels pixels(bitmap);
    if (!pixels.IsOk()) {
        return nullptr;
    }
    const int width = pixels.Width();
    const int height = pixels.Height();
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mask);
        return nullptr;
    }
    unsigned char* bytes = cairo_image_surface_get_data(mask);
    const int maskStride = cairo_image_surface_get_stride(mask);
    // A fresh surface is all 0 (transparent); only shown pixels are written.
    // Premultiplied or not, a pixel is black exactly when its colour bytes
    // are 0. Layers are mostly black, so pairs of black pixels are passed over.
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels.Row(y);
        unsigned char* out = bytes + y * maskStride;
        int x = 0;
        for (; x + 1 < width; x += 2) {
            uint64_t pair;
            std::memcpy(&pair, row + x, sizeof pair);
            if ((pair & 0x00FFFFFF00FFFFFFull) == 0) {
                continue;
            }
            out[x] = (row[x] & 0x00FFFFFFu) != 0 ? 0xFF : 0x00;
            out[x + 1] = (row[x + 1] & 0x00FFFFFFu) != 0 ? 0xFF : 0x00;
        }
        if (x < width && (row[x] & 0x00FFFFFFu) != 0) {
            out[x] = 0xFF;
        }
    }
    cairo_surface_mark_dirty(mask);
    return new wxMask(mask);
}
