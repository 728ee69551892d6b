#include "render/LayerImage.h"

#include <algorithm>
#include <utility>

#include "render/LayerPixels.h"

LayerImage::LayerImage(int width, int height, bool withAlpha) {
    if (width < 1 || height < 1) {
        return;
    }
    surface = cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                         width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        surface = nullptr;
        return;
    }
    // Opaque black, as a layer bitmap of the window starts.
    LayerPixels pixels(surface);
    for (int y = 0; y < pixels.Height(); ++y) {
        std::fill_n(pixels.Row(y), pixels.Width(), 0xFF000000u);
    }
}

LayerImage::~LayerImage() {
    if (surface) {
        cairo_surface_destroy(surface);
    }
}

LayerImage::LayerImage(LayerImage&& other) noexcept : surface(other.surface) {
    other.surface = nullptr;
}

LayerImage& LayerImage::operator=(LayerImage&& other) noexcept {
    std::swap(surface, other.surface);
    return *this;
}

int LayerImage::Width() const {
    return surface ? cairo_image_surface_get_width(surface) : 0;
}

int LayerImage::Height() const {
    return surface ? cairo_image_surface_get_height(surface) : 0;
}

void CoverWith(LayerImage& picture, const LayerImage& layer) {
    if (!picture.IsOk() || !layer.IsOk()) {
        return;
    }
    LayerPixels to(picture.Surface());
    LayerPixels from(layer.Surface());
    const int width = std::min(to.Width(), from.Width());
    const int height = std::min(to.Height(), from.Height());
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = from.Row(y);
        uint32_t* out = to.Row(y);
        for (int x = 0; x < width; ++x) {
            // Layers are drawn in opaque colours: a pixel shows exactly when
            // its colour is not black.
            if ((in[x] & 0x00FFFFFFu) != 0) {
                out[x] = 0xFF000000u | from.Unpremultiplied(in[x]);
            }
        }
    }
}

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string EncodePng(const LayerImage& picture) {
    std::string bytes;
    if (!picture.IsOk() || cairo_surface_write_to_png_stream(picture.Surface(), AppendBytes,
                                                             &bytes) != CAIRO_STATUS_SUCCESS) {
        return std::string();
    }
    return bytes;
}
