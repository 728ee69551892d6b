// A picture in memory as cairo draws it: an image surface of 32-bit pixels,
// black to start with. Layers and the pictures stacked from them are made
// this way without the toolkit, so that the command line needs no display.
#pragma once

#include <cairo.h>

#include <string>

class LayerImage {
  public:
    LayerImage() = default;
    // Opaque black. With alpha for a layer, whose black is transparent;
    // without for a finished picture. Not ok when a size is below 1 or the
    // memory cannot be had.
    LayerImage(int width, int height, bool withAlpha = true);
    ~LayerImage();
    LayerImage(LayerImage&& other) noexcept;
    LayerImage& operator=(LayerImage&& other) noexcept;
    LayerImage(const LayerImage&) = delete;
    LayerImage& operator=(const LayerImage&) = delete;

    bool IsOk() const { return surface != nullptr; }
    int Width() const;
    int Height() const;
    cairo_surface_t* Surface() const { return surface; }

  private:
    cairo_surface_t* surface = nullptr;
};

// Stacks a layer on a picture: every pixel of the layer that is not black
// covers the picture's pixel at the same place (both from the top-left
// corner; what falls outside the picture is left out).
void CoverWith(LayerImage& picture, const LayerImage& layer);

// The picture as the bytes of a PNG file; empty when it cannot be encoded.
std::string EncodePng(const LayerImage& picture);
