#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include "render/LayerCanvas.h"
#include "render/LayerPixels.h"
#include "render/LayerStack.h"

namespace {

struct Block {
    wxRect rect;
    wxColour colour;
};

// A layer as the renderers draw them: blocks on black.
wxBitmap DrawnLayer(int width, int height, const std::vector<Block>& blocks) {
    wxBitmap bitmap(width, height, 32);
    {
        wxMemoryDC dc(bitmap);
        if (auto* gc = dc.GetGraphicsContext()) {
            gc->SetAntialiasMode(wxANTIALIAS_NONE);
        }
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        for (const Block& block : blocks) {
            dc.SetPen(wxPen(block.colour, 1));
            dc.SetBrush(wxBrush(block.colour));
            dc.DrawRectangle(block.rect);
        }
    }
    return bitmap;
}

// The same with its black masked, as the renderers hand them on.
wxBitmap MaskedLayer(int width, int height, const std::vector<Block>& blocks) {
    wxBitmap bitmap = DrawnLayer(width, height, blocks);
    bitmap.SetMask(new wxMask(bitmap, *wxBLACK));
    return bitmap;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

const wxColour kRed(255, 0, 0);
const wxColour kBlue(0, 0, 255);
const wxColour kLabelGrey(1, 1, 1);

}  // namespace

TEST(ToAlphaBitmap, AlphaIsZeroExactlyOnTheTransparentPixels) {
    const wxBitmap layer =
        MaskedLayer(20, 10, {{wxRect(2, 2, 4, 4), kRed}, {wxRect(10, 0, 1, 1), kLabelGrey}});
    const wxBitmap converted = ToAlphaBitmap(layer);
    ASSERT_TRUE(converted.IsOk());
    const wxImage image = converted.ConvertToImage();
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_FALSE(image.HasMask());
    EXPECT_EQ(image.GetWidth(), 20);
    EXPECT_EQ(image.GetHeight(), 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool red = x >= 2 && x <= 5 && y >= 2 && y <= 5;
            const bool grey = x == 10 && y == 0;
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(image.GetAlpha(x, y), red || grey ? 255 : 0);
            EXPECT_EQ(PixelAt(image, x, y), red ? kRed : grey ? kLabelGrey : *wxBLACK);
        }
    }
}

// Converting a drawn layer where it lies gives the pixels of masking its
// black and converting that, in opaque rows and in a row with pixels that
// are not opaque.
TEST(ConvertToAlpha, GivesTheMaskedLayersConversion) {
    const std::vector<Block> blocks = {{wxRect(2, 0, 4, 4), kRed},
                                       {wxRect(10, 1, 1, 1), kLabelGrey}};
    auto withThinPixels = [](wxBitmap layer) {
        LayerPixels pixels(layer);
        pixels.Row(3)[8] = 0x80400000u;  // red at half alpha, premultiplied
        pixels.Row(3)[9] = 0x40000000u;  // black at a quarter
        return layer;
    };
    wxBitmap converted = withThinPixels(DrawnLayer(20, 4, blocks));
    ASSERT_TRUE(ConvertToAlpha(converted));
    wxBitmap masked = withThinPixels(DrawnLayer(20, 4, blocks));
    MaskBlack(masked);
    const wxBitmap expected = ToAlphaBitmap(masked);
    LayerPixels got(converted);
    LayerPixels want(expected);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(got.Row(y)[x], want.Row(y)[x]) << "pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(got.Row(3)[8], 0xFF800000u);
    EXPECT_EQ(got.Row(0)[0], 0u);
    EXPECT_FALSE(converted.GetMask());
}

TEST(ToAlphaBitmap, InvalidBitmapStaysInvalid) {
    EXPECT_FALSE(ToAlphaBitmap(wxBitmap()).IsOk());
}

TEST(StackLayers, LaterLayersCoverEarlierOnesOnBlack) {
    const wxBitmap bottom = MaskedLayer(30, 20, {{wxRect(0, 0, 10, 10), kBlue}});
    const wxBitmap top = MaskedLayer(30, 20, {{wxRect(5, 5, 10, 10), kRed}});
    // Freshly drawn layers arrive with alpha, cached ones with their mask: both stack alike.
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "alpha" : "mask");
        const std::vector<wxBitmap> layers = {alpha ? ToAlphaBitmap(bottom) : bottom,
                                              alpha ? ToAlphaBitmap(top) : top};
        const wxImage image = StackLayers(layers, 30, 20).ConvertToImage();
        ASSERT_EQ(image.GetWidth(), 30);
        EXPECT_EQ(PixelAt(image, 0, 0), kBlue);
        EXPECT_EQ(PixelAt(image, 4, 9), kBlue);
        EXPECT_EQ(PixelAt(image, 5, 5), kRed);
        EXPECT_EQ(PixelAt(image, 9, 9), kRed);
        EXPECT_EQ(PixelAt(image, 14, 14), kRed);
        EXPECT_EQ(PixelAt(image, 15, 14), *wxBLACK);
        EXPECT_EQ(PixelAt(image, 10, 2), *wxBLACK);
        EXPECT_EQ(PixelAt(image, 29, 19), *wxBLACK);
    }
}

TEST(StackLayers, EveryLayerIsScaledByTheFirstLayersFactors) {
    // A stale 10 x 10 layer first, then one already at the picture's size.
    const wxBitmap small = MaskedLayer(10, 10, {{wxRect(2, 2, 2, 2), kBlue}});
    const wxBitmap large = MaskedLayer(20, 20, {{wxRect(0, 0, 1, 1), kRed}});
    const wxImage image = StackLayers({small, large}, 20, 20).ConvertToImage();
    EXPECT_EQ(PixelAt(image, 4, 4), kBlue);
    EXPECT_EQ(PixelAt(image, 7, 7), kBlue);
    EXPECT_EQ(PixelAt(image, 8, 8), *wxBLACK);
    EXPECT_EQ(PixelAt(image, 3, 3), *wxBLACK);
    // The second layer is doubled too, so its single pixel covers two by two.
    EXPECT_EQ(PixelAt(image, 1, 1), kRed);
    EXPECT_EQ(PixelAt(image, 2, 2), *wxBLACK);
}

TEST(StackLayers, InvalidLayersAreSkippedAndNoLayersGiveBlack) {
    const wxBitmap layer = MaskedLayer(8, 8, {{wxRect(1, 1, 2, 2), kRed}});
    const wxImage image = StackLayers({wxBitmap(), layer}, 8, 8).ConvertToImage();
    EXPECT_EQ(PixelAt(image, 1, 1), kRed);
    EXPECT_EQ(PixelAt(image, 0, 0), *wxBLACK);
    const wxImage empty = StackLayers({}, 4, 3).ConvertToImage();
    ASSERT_EQ(empty.GetWidth(), 4);
    EXPECT_EQ(PixelAt(empty, 3, 2), *wxBLACK);
    EXPECT_FALSE(StackLayers({layer}, 0, 5).IsOk());
}

TEST(StackLayers, HalfTransparentPixelsAreBlendedNotCopied) {
    const wxBitmap bottom = MaskedLayer(6, 4, {{wxRect(0, 0, 6, 4), kBlue}});
    wxImage top(6, 4);
    top.SetRGB(wxRect(0, 0, 6, 4), 255, 0, 0);
    top.SetAlpha();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            top.SetAlpha(x, y, x == 2 && y == 1 ? 128 : x == 4 ? 255 : 0);
        }
    }
    const wxImage image = StackLayers({bottom, wxBitmap(top, 32)}, 6, 4).ConvertToImage();
    EXPECT_EQ(PixelAt(image, 2, 1), wxColour(128, 0, 127));
    EXPECT_EQ(PixelAt(image, 4, 3), kRed);
    EXPECT_EQ(PixelAt(image, 0, 0), kBlue);
}

TEST(StackLayers, LayerWithoutMaskOrAlphaCoversEverything) {
    const wxBitmap bottom = MaskedLayer(6, 4, {{wxRect(0, 0, 6, 4), kBlue}});
    wxImage opaque(6, 4);  // black, one red pixel, no alpha
    opaque.SetRGB(wxRect(3, 2, 1, 1), 255, 0, 0);
    const wxImage image = StackLayers({bottom, wxBitmap(opaque, 24)}, 6, 4).ConvertToImage();
    EXPECT_EQ(PixelAt(image, 3, 2), kRed);
    EXPECT_EQ(PixelAt(image, 0, 0), *wxBLACK);
    EXPECT_EQ(PixelAt(image, 5, 3), *wxBLACK);
}
