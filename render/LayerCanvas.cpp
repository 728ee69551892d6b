#include "render/LayerCanvas.h"

#include <wx/brush.h>
#include <wx/dcmemory.h>

#include <algorithm>

#include "render/LayerPixels.h"

void LayerCanvas::AddColor(const wxColour& color) {
    palette.push_back(color);
    ++paletteCount;
}

void LayerCanvas::SetBitmap(const wxBitmap& target) {
    bitmap = target;
    if (bitmap.IsOk()) {
        bitmap.UnShare();
    }
}

void LayerCanvas::TakeBitmap(wxBitmap& target) {
    SetBitmap(target);
    target = wxBitmap();
}

wxBitmap LayerCanvas::DrawOnBitmap(const std::function<void(Canvas&)>& draw) {
    if (!bitmap.IsOk()) {
        bitmap = NewLayerBitmap(frame.Width(), frame.Height());
    }
    cairo_t* context = bitmap.IsOk() ? bitmap.CairoCreate() : nullptr;
    if (context) {
        Canvas canvas(context, frame.Width(), frame.Height(), 1.0, frame.PixelRatio());
        draw(canvas);
        cairo_destroy(context);
    }
    return bitmap;
}

wxBitmap NewLayerBitmap(int width, int height) {
    if (width < 1 || height < 1) {
        return wxBitmap();
    }
    wxBitmap result(width, height, 32);
    {
        // Opaque black, as clearing with a black brush leaves it.
        LayerPixels pixels(result);
        if (pixels.IsOk()) {
            for (int y = 0; y < pixels.Height(); ++y) {
                std::fill_n(pixels.Row(y), pixels.Width(), 0xFF000000u);
            }
            return result;
        }
    }
    wxMemoryDC dc(result);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SelectObject(wxNullBitmap);
    return result;
}

void MaskBlack(wxBitmap& bitmap) {
    if (bitmap.IsOk()) {
        wxMask* mask = MaskOfBlack(bitmap);
        bitmap.SetMask(mask ? mask : new wxMask(bitmap, *wxBLACK));
    }
}
