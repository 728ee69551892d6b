#include "render/LayerStack.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

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
    for (const wxBitmap& layer : layers) {
        if (layer.IsOk()) {
            dc.DrawBitmap(layer, 0, 0, true);
        }
    }
    dc.SelectObject(wxNullBitmap);
    return composite;
}

wxBitmap ToAlphaBitmap(const wxBitmap& masked) {
    if (!masked.IsOk()) {
        return wxBitmap();
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
