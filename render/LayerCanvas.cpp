#include "render/LayerCanvas.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/pen.h>

LayerCanvas::LayerCanvas(double xMin, double yMin, double xMax, double yMax, int width, int height)
    : view{xMin, yMin, xMax, yMax}, width(width), height(height) {
    // Every layer drawing replaces this bitmap at once with SetBitmap, so it
    // is not cleared: a fresh bitmap is black already.
    if (width >= 1 && height >= 1) {
        bitmap = wxBitmap(width, height, 32);
    }
    Bind();
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
    wxMemoryDC dc(result);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SelectObject(wxNullBitmap);
    return result;
}

void MaskBlack(wxBitmap& bitmap) {
    if (bitmap.IsOk()) {
        bitmap.SetMask(new wxMask(bitmap, *wxBLACK));
    }
}
