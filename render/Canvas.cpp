#include "render/Canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "render/LayerImage.h"
#include "render/LayerPixels.h"

namespace {

// The family the toolkit gives a sans-serif font (its "Swiss" family).
const char* const kFamily = "Sans";

// Text without anti-aliasing, as the window's layers have always drawn it.
void SetCrispText(cairo_t* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_get_font_options(context, options);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

// A layout of the text in the face at the scaled size; the toolkit
// rounds a size to whole Pango units.
PangoLayout* NewLayout(cairo_t* context, const wxString& text, const TextFont& font, double scale) {
    PangoLayout* layout = pango_cairo_create_layout(context);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family_static(description, kFamily);
    pango_font_description_set_size(
        description, static_cast<int>(std::lround(font.points * scale * PANGO_SCALE)));
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    const wxScopedCharBuffer utf8 = text.utf8_str();
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.length()));
    return layout;
}

}  // namespace

Canvas::Canvas(cairo_t* context, int width, int height, double textScale, double pixelRatio)
    : context(cairo_reference(context)),
      width(width),
      height(height),
      textScale(textScale * pixelRatio),
      penShift(std::fmod(std::max(1.0, std::round(pixelRatio)), 2.0) == 1.0 ? 0.5 : 0.0) {
    cairo_surface_t* target = cairo_get_target(context);
    if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE) {
        image = target;
        cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
        SetCrispText(context);
    }
    // The toolkit's one-pixel solid pen, as wide as a pixel of the nominal picture.
    cairo_set_line_width(context, std::max(1.0, pixelRatio));
    cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
}

Canvas::~Canvas() {
    FinishBoxes();
    cairo_destroy(context);
    if (measure) {
        cairo_destroy(measure);
    }
}

bool Canvas::LeftOut(const wxColour& color) const {
    return image == nullptr && leaveOutBlack && color.Red() == 0 && color.Green() == 0 &&
           color.Blue() == 0;
}

void Canvas::SetColor(const wxColour& color) {
    cairo_set_source_rgba(context, color.Red() / 255.0, color.Green() / 255.0, color.Blue() / 255.0,
                          color.Alpha() / 255.0);
}

void Canvas::FillBox(int x, int y, int w, int h, const wxColour& color) {
    if (w <= 0 || h <= 0 || LeftOut(color)) {
        return;
    }
    if (!image) {
        AddVectorBox(x, y, w, h, color);
        return;
    }
    SetColor(color);
    cairo_rectangle(context, x, y, w, h);
    cairo_fill(context);
}

void Canvas::AddVectorBox(int x, int y, int w, int h, const wxColour& color) {
    PendingBoxes& last = pending;
    if (last.open && last.color == color) {
        if (y == last.y && h == last.h && x >= last.x && x <= last.x + last.w) {
            last.w = std::max(last.x + last.w, x + w) - last.x;
            return;
        }
        if (x == last.x && w == last.w && y >= last.y && y <= last.y + last.h) {
            last.h = std::max(last.y + last.h, y + h) - last.y;
            return;
        }
        cairo_rectangle(context, last.x, last.y, last.w, last.h);
    } else {
        FinishBoxes();
    }
    last = PendingBoxes{true, color, x, y, w, h};
}

void Canvas::FinishBoxes() {
    if (!pending.open) {
        return;
    }
    cairo_rectangle(context, pending.x, pending.y, pending.w, pending.h);
    SetColor(pending.color);
    cairo_fill(context);
    pending.open = false;
}

// The toolkit's path of an ellipse, filled and then stroked with its pen,
// both shifted half a pixel for a pen of an odd width, so that it covers
// whole pixels.
void Canvas::FillEllipse(int x, int y, int w, int h, const wxColour& color) {
    FinishBoxes();
    if (w <= 0 || h <= 0 || LeftOut(color)) {
        return;
    }
    SetColor(color);
    cairo_save(context);
    cairo_translate(context, penShift, penShift);
    cairo_new_path(context);
    cairo_move_to(context, x + w, y + h / 2.0);
    cairo_save(context);
    cairo_translate(context, x + w / 2.0, y + h / 2.0);
    cairo_scale(context, w / 2.0, h / 2.0);
    cairo_arc(context, 0.0, 0.0, 1.0, 0.0, 2 * M_PI);
    cairo_restore(context);
    cairo_close_path(context);
    cairo_fill_preserve(context);
    cairo_stroke(context);
    cairo_restore(context);
}

void Canvas::Line(int x1, int y1, int x2, int y2, const wxColour& color) {
    FinishBoxes();
    if (LeftOut(color)) {
        return;
    }
    SetColor(color);
    cairo_move_to(context, x1 + penShift, y1 + penShift);
    cairo_line_to(context, x2 + penShift, y2 + penShift);
    cairo_stroke(context);
}

wxSize Canvas::TextSize(const wxString& text, const TextFont& font) {
    if (!measure) {
        cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        measure = cairo_create(scratch);
        cairo_surface_destroy(scratch);
        SetCrispText(measure);
    }
    PangoLayout* layout = NewLayout(measure, text, font, textScale);
    int w = 0;
    int h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    return wxSize(w, h);
}

// One layout for the whole text, lines and all; a background box takes the
// layout's size, as the toolkit's text does.
void Canvas::Text(const wxString& text, int x, int y, const TextFont& font, const wxColour& color,
                  const wxColour* background) {
    FinishBoxes();
    if (text.empty()) {
        return;
    }
    if (background && !LeftOut(*background)) {
        const wxSize box = TextSize(text, font);
        SetColor(*background);
        cairo_rectangle(context, x, y, box.x, box.y);
        cairo_fill(context);
    }
    if (LeftOut(color)) {
        return;
    }
    PangoLayout* layout = NewLayout(context, text, font, textScale);
    SetColor(color);
    cairo_move_to(context, x, y);
    pango_cairo_show_layout(context, layout);
    cairo_new_path(context);
    g_object_unref(layout);
}

void Canvas::PutPixels(const LayerImage& pixels) {
    FinishBoxes();
    if (!pixels.IsOk()) {
        return;
    }
    LayerPixels from(pixels.Surface());
    const int w = std::min(from.Width(), width);
    const int h = std::min(from.Height(), height);
    if (image) {
        LayerPixels to(image);
        for (int y = 0; y < std::min(h, to.Height()); ++y) {
            for (int x = 0; x < std::min(w, to.Width()); ++x) {
                if ((from.Row(y)[x] & 0x00FFFFFFu) != 0) {
                    to.Row(y)[x] = 0xFF000000u | from.Unpremultiplied(from.Row(y)[x]);
                }
            }
        }
        return;
    }
    // Runs of one colour in a row, each continued downward while the next
    // row has the same run; they never overlap, so each colour is one path.
    struct Box {
        int x, y, w, h;
    };
    std::map<uint32_t, std::vector<Box>> boxes;
    std::map<std::tuple<int, int, uint32_t>, size_t> above;  // runs ending in the row above
    for (int y = 0; y < h; ++y) {
        std::map<std::tuple<int, int, uint32_t>, size_t> here;
        const uint32_t* row = from.Row(y);
        for (int x = 0; x < w;) {
            const uint32_t colour = from.Unpremultiplied(row[x]) & 0x00FFFFFFu;
            int end = x + 1;
            while (end < w && (from.Unpremultiplied(row[end]) & 0x00FFFFFFu) == colour) {
                ++end;
            }
            if (colour != 0) {
                const auto key = std::make_tuple(x, end, colour);
                std::vector<Box>& ofColour = boxes[colour];
                const auto continued = above.find(key);
                if (continued != above.end()) {
                    ++ofColour[continued->second].h;
                    here[key] = continued->second;
                } else {
                    ofColour.push_back(Box{x, y, end - x, 1});
                    here[key] = ofColour.size() - 1;
                }
            }
            x = end;
        }
        above.swap(here);
    }
    for (const auto& [colour, list] : boxes) {
        for (const Box& box : list) {
            cairo_rectangle(context, box.x, box.y, box.w, box.h);
        }
        SetColor(wxColour((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
        cairo_fill(context);
    }
}

void Canvas::PushClip(int x, int y, int w, int h) {
    FinishBoxes();
    cairo_save(context);
    cairo_rectangle(context, x, y, w, h);
    cairo_clip(context);
}

void Canvas::PopClip() {
    FinishBoxes();
    cairo_restore(context);
}

void Canvas::PushScale(double factor) {
    FinishBoxes();
    scales.push_back(Sizes{textScale, penShift});
    cairo_save(context);
    cairo_scale(context, factor, factor);
    // The pen's width is taken in the scaled units.
    cairo_set_line_width(context, cairo_get_line_width(context) / factor);
    textScale /= factor;
    penShift /= factor;
}

void Canvas::PopScale() {
    FinishBoxes();
    cairo_restore(context);
    if (!scales.empty()) {
        textScale = scales.back().textScale;
        penShift = scales.back().penShift;
        scales.pop_back();
    }
}
