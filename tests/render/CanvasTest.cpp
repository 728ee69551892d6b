#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <cstring>
#include <functional>

#include "RenderTestSupport.h"
#include "render/Canvas.h"
#include "render/LayerCanvas.h"
#include "render/LayerImage.h"
#include "render/LayerPixels.h"

namespace {

const int kSize = 240;

// The same drawing through the toolkit's memory drawing context, as the
// layers were drawn before they were drawn through cairo directly.
wxImage ToolkitPicture(const std::function<void(wxDC&)>& draw) {
    wxBitmap bitmap = NewLayerBitmap(kSize, kSize);
    {
        wxMemoryDC dc(bitmap);
        dc.GetGraphicsContext()->SetAntialiasMode(wxANTIALIAS_NONE);
        draw(dc);
    }
    return Pixels(bitmap);
}

// Drawn on a layer image, which needs no toolkit.
wxImage CanvasPicture(const std::function<void(Canvas&)>& draw) {
    LayerImage image(kSize, kSize);
    cairo_t* context = cairo_create(image.Surface());
    {
        Canvas canvas(context, kSize, kSize);
        draw(canvas);
    }
    cairo_destroy(context);
    wxImage picture(kSize, kSize);
    LayerPixels pixels(image.Surface());
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const uint32_t pixel = pixels.Row(y)[x];
            picture.SetRGB(x, y, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
        }
    }
    return picture;
}

long DifferentPixels(const wxImage& a, const wxImage& b) {
    long different = 0;
    for (int i = 0; i < kSize * kSize * 3; i += 3) {
        different += std::memcmp(a.GetData() + i, b.GetData() + i, 3) != 0;
    }
    return different;
}

void SetSolid(wxDC& dc, const wxColour& color) {
    dc.SetPen(wxPen(color, 1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(color, wxBRUSHSTYLE_SOLID));
}

const wxColour kOrange(200, 100, 0);
const wxColour kLabel(1, 1, 1);
const wxColour kWhite(255, 255, 255);

}  // namespace

TEST(Canvas, ShapesHaveTheToolkitsPixels) {
    // Every circle size the stem maps use, boxes, and lines in every
    // direction, some reaching over the edges.
    auto circles = [](auto&& ellipse) {
        for (int size = 0, x = 0, y = 0; size < 40; ++size) {
            ellipse(x - 5, y - 3, size, size + size % 3);
            x += size + 4;
            if (x > kSize) {
                x = 0;
                y += 42;
            }
        }
    };
    const int lines[][4] = {{2, 3, 200, 90},  {50, 230, 50, 1}, {-4, 6, 300, 6},
                            {230, 2, 1, 229}, {8, 8, 9, 9},     {120, 120, 120, 120}};
    const wxImage toolkit = ToolkitPicture([&](wxDC& dc) {
        SetSolid(dc, kOrange);
        circles([&](int x, int y, int w, int h) { dc.DrawEllipse(x, y, w, h); });
        dc.DrawRectangle(100, 200, 30, 12);
        dc.DrawRectangle(-5, 220, 12, 40);
        for (const auto& line : lines) {
            dc.DrawLine(line[0], line[1], line[2], line[3]);
        }
    });
    const wxImage canvas = CanvasPicture([&](Canvas& c) {
        circles([&](int x, int y, int w, int h) { c.FillEllipse(x, y, w, h, kOrange); });
        c.FillBox(100, 200, 30, 12, kOrange);
        c.FillBox(-5, 220, 12, 40, kOrange);
        for (const auto& line : lines) {
            c.Line(line[0], line[1], line[2], line[3], kOrange);
        }
    });
    EXPECT_GT(ColorCounts(toolkit)[(Rgb{200, 100, 0})], 5000);
    EXPECT_EQ(DifferentPixels(toolkit, canvas), 0);
}

TEST(Canvas, TextHasTheWindowsFontAndPixels) {
    const wxString label = wxString::FromUTF8("T05 Eiche \xc3\xa9\xc3\xa5 Wy");
    const wxImage toolkit = ToolkitPicture([&](wxDC& dc) {
        dc.SetFont(wxFont(14, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        dc.SetTextForeground(kLabel);
        dc.SetTextBackground(kWhite);
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc.DrawText(label, 10, 10);
        dc.DrawText("two\n\nlines", 150, 60);
        dc.SetFont(wxFont(12, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        dc.SetTextForeground(kWhite);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.DrawText("0.05", 6, 200);
    });
    wxSize measured;
    const wxImage canvas = CanvasPicture([&](Canvas& c) {
        c.Text(label, 10, 10, TextFont{14}, kLabel, &kWhite);
        c.Text("two\n\nlines", 150, 60, TextFont{14}, kLabel, &kWhite);
        c.Text("0.05", 6, 200, TextFont{12}, kWhite);
        measured = c.TextSize("g", TextFont{9});
    });
    EXPECT_GT(ColorCounts(toolkit)[(Rgb{255, 255, 255})], 1000);
    EXPECT_EQ(DifferentPixels(toolkit, canvas), 0);
    // The legend's line height, as the toolkit measures it.
    wxBitmap scratch(1, 1, 32);
    wxMemoryDC dc(scratch);
    dc.GetGraphicsContext()->SetAntialiasMode(wxANTIALIAS_NONE);
    dc.SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS)));
    EXPECT_EQ(measured.y, dc.GetCharHeight());
}
