#include "render/LayerCanvas.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/pen.h>

#include <algorithm>

#include "render/LayerPixels.h"

// The renderer's own bitmap is made only when it draws without one given:
// every layer drawing hands it one at once.
LayerCanvas::LayerCanvas(double xMin, double yMin, double xMax, double yMax, int width, int height)
    : view{xMin, yMin, xMax, yMax}, width(width), height(height) {}

bool LayerCanvas::CanDraw() {
    if (!bitmap.IsOk() && width >= 1 && height >= 1) {
        bitmap = NewLayerBitmap(width, height);
        Bind();
    }
    return bitmap.IsOk() && dc.IsOk();
}

LayerCanvas::~LayerCanvas() {
    Unbind();
}

void LayerCanvas::AddColor(const wxColour& color) {
    palette.push_back(color);
    ++paletteCount;
}

void LayerCanvas::SetBitmap(const wxBitmap& target) {
    Unbind();
    bitmap = target;
    if (bitmap.IsOk()) {
        bitmap.UnShare();
    }
    Bind();
}

void LayerCanvas::TakeBitmap(wxBitmap& target) {
    Unbind();
    bitmap = target;
    target = wxBitmap();
    if (bitmap.IsOk()) {
        bitmap.UnShare();
    }
    Bind();
}

void LayerCanvas::SetSolidColor(const wxColour& color) {
    dc.SetPen(wxPen(color, 1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(color, wxBRUSHSTYLE_SOLID));
}

void LayerCanvas::Bind() {
    if (!bitmap.IsOk()) {
        return;
    }
    dc.SelectObject(bitmap);
    // Cairo blends edges by default; a blended edge is neither the colour
    // drawn nor the transparent black, so it would show as a fringe.
    if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    }
}

void LayerCanvas::Unbind() {
    if (dc.GetSelectedBitmap().IsOk()) {
        dc.SelectObject(wxNullBitmap);
    }
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
