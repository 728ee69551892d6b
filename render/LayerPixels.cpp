#include "render/LayerPixels.h"

#ifdef __WXGTK3__
#include <cairo.h>
#endif

#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <cstring>

#include "render/LayerCanvas.h"

#ifdef __WXGTK3__

LayerPixels::LayerPixels(const wxBitmap& bitmap) {
    if (!bitmap.IsOk()) {
        return;
    }
    cairo_t* cr = bitmap.CairoCreate();
    if (!cr) {
        return;
    }
    context = cr;
    cairo_surface_t* target = cairo_get_target(cr);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) {
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
        cairo_surface_mark_dirty(static_cast<cairo_surface_t*>(surface));
    }
    if (context) {
        cairo_destroy(static_cast<cairo_t*>(context));
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

namespace {

void StrokeSegment(cairo_t* cr, int x1, int y1, int x2, int y2) {
    // A one-pixel pen is centred on the pixels, half a pixel off the grid.
    cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
    cairo_stroke(cr);
}

void PrepareLines(cairo_t* cr) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

// Lines in every direction, short and long, partly off the bitmap.
const int kTrialLines[][4] = {{2, 3, 27, 9},    {5, 30, 5, 1},    {-4, 6, 40, 6}, {30, 2, 1, 29},
                              {8, 8, 9, 9},     {12, 20, 12, 20}, {0, 31, 31, 0}, {3, 1, 7, 30},
                              {20, -5, 26, 40}, {31, 17, -3, 12}};

// Draws the trial lines with the toolkit and directly; true when they agree.
bool LinesMatchToolkit() {
    const int size = 32;
    const wxColour color(200, 10, 30);
    wxBitmap toolkit = NewLayerBitmap(size, size);
    wxBitmap direct = NewLayerBitmap(size, size);
    if (!toolkit.IsOk() || !direct.IsOk()) {
        return false;
    }
    {
        wxMemoryDC dc(toolkit);
        if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
            gc->SetAntialiasMode(wxANTIALIAS_NONE);
        }
        dc.SetPen(wxPen(color, 1, wxPENSTYLE_SOLID));
        dc.SetBrush(wxBrush(color, wxBRUSHSTYLE_SOLID));
        for (const auto& line : kTrialLines) {
            dc.DrawLine(line[0], line[1], line[2], line[3]);
        }
    }
    {
        cairo_t* cr = direct.CairoCreate();
        PrepareLines(cr);
        cairo_set_source_rgba(cr, color.Red() / 255.0, color.Green() / 255.0, color.Blue() / 255.0,
                              1.0);
        for (const auto& line : kTrialLines) {
            StrokeSegment(cr, line[0], line[1], line[2], line[3]);
        }
        cairo_destroy(cr);
    }
    LayerPixels a(toolkit);
    LayerPixels b(direct);
    if (!a.IsOk() || !b.IsOk()) {
        return false;
    }
    for (int y = 0; y < size; ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), size * sizeof(uint32_t)) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

LayerLines::LayerLines(const wxBitmap& bitmap) {
    static const bool matches = LinesMatchToolkit();
    if (!matches || !bitmap.IsOk()) {
        return;
    }
    cairo_t* cr = bitmap.CairoCreate();
    if (!cr) {
        return;
    }
    PrepareLines(cr);
    context = cr;
}

LayerLines::~LayerLines() {
    if (context) {
        cairo_destroy(static_cast<cairo_t*>(context));
    }
}

void LayerLines::SetColor(const wxColour& color) {
    cairo_set_source_rgba(static_cast<cairo_t*>(context), color.Red() / 255.0,
                          color.Green() / 255.0, color.Blue() / 255.0, color.Alpha() / 255.0);
}

void LayerLines::Draw(int x1, int y1, int x2, int y2) {
    StrokeSegment(static_cast<cairo_t*>(context), x1, y1, x2, y2);
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

#else

LayerPixels::LayerPixels(const wxBitmap&) {}

LayerPixels::~LayerPixels() {}

MaskPixels::MaskPixels(const wxBitmap&) {}

LayerLines::LayerLines(const wxBitmap&) {}

LayerLines::~LayerLines() {}

void LayerLines::SetColor(const wxColour&) {}

void LayerLines::Draw(int, int, int, int) {}

wxMask* MaskOfBlack(const wxBitmap&) {
    return nullptr;
}

#endif
