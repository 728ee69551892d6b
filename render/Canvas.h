// Where the renderers draw: a cairo context on a layer image, or on a vector
// page (SVG, PDF). On an image every shape and every letter is put down
// without anti-aliasing, in exactly the pixels the toolkit's own drawing
// gave, so that nothing is blended with the black that is transparent in a
// layer. On a vector page the same calls make rectangles, paths, circles and
// text at the same places.
#pragma once

#include <cairo.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <vector>

class LayerImage;

// The sans-serif face of the window's text, at a size in points.
struct TextFont {
    double points;
};

class Canvas {
  public:
    // Draws through the context (which it holds a reference to) onto a
    // target of width x height pixels or points. Text sizes are multiplied
    // by textScale, as the window's text follows the desktop's resolution,
    // and by pixelRatio, which is also the width of the pen: the pixels of
    // the picture for each pixel of its nominal size.
    Canvas(cairo_t* context, int width, int height, double textScale = 1.0,
           double pixelRatio = 1.0);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int Width() const { return width; }
    int Height() const { return height; }
    // The image drawn on, whose pixels may be written directly; null on a vector page.
    cairo_surface_t* Image() const { return image; }

    // The pixels [x, x + w) x [y, y + h): a rectangle filled and outlined
    // with a pen of its colour.
    void FillBox(int x, int y, int w, int h, const wxColour& color);
    // An ellipse in the box (x, y, w, h), filled and outlined with a pen of
    // its colour.
    void FillEllipse(int x, int y, int w, int h, const wxColour& color);
    // A line of the pen from one pixel to the other, both drawn.
    void Line(int x1, int y1, int x2, int y2, const wxColour& color);
    // The size of the text's box, as an image measures it on any target,
    // so that a vector page has the layout of the picture.
    wxSize TextSize(const wxString& text, const TextFont& font);
    // The text (of one or more lines) with its box's top-left corner at
    // (x, y), on a box of the background colour when one is given.
    void Text(const wxString& text, int x, int y, const TextFont& font, const wxColour& color,
              const wxColour* background = nullptr);
    // The pixels of an image that are not black, at the same places: on a
    // vector page as rectangles of one colour each.
    void PutPixels(const LayerImage& pixels);

    // While set, a shape or text in black is left out on a vector page, as a
    // layer would show nothing of it; an image gets every colour.
    void LeaveOutBlack(bool value) { leaveOutBlack = value; }

    // Drawing from now on reaches only the box, until the matching PopClip.
    void PushClip(int x, int y, int w, int h);
    void PopClip();
    // Coordinates from now on are multiplied by factor, until the matching
    // PopScale, while text and the pen keep their size: a canvas of pixel
    // ratio r takes the coordinates of the nominal picture after PushScale(r).
    void PushScale(double factor);
    void PopScale();

  private:
    cairo_t* context;
    cairo_surface_t* image = nullptr;
    int width;
    int height;
    double textScale;
    // Where the pen's edges fall on whole pixels: a pen of an odd width is
    // centred on a pixel's middle.
    double penShift;
    bool leaveOutBlack = false;
    struct Sizes {
        double textScale;
        double penShift;
    };
    std::vector<Sizes> scales;   // as they were before each PushScale
    cairo_t* measure = nullptr;  // an image context measuring text, made at the first need

    // On a vector page, boxes of one colour drawn one after the other go
    // into one path, and a box that continues the last one widens it.
    struct PendingBoxes {
        bool open = false;
        wxColour color;
        int x = 0, y = 0, w = 0, h = 0;  // the last box, not yet in the path
    } pending;
    void AddVectorBox(int x, int y, int w, int h, const wxColour& color);
    // Fills the boxes gathered so far; called before anything else is drawn.
    void FinishBoxes();
    bool LeftOut(const wxColour& color) const;
    void SetColor(const wxColour& color);
};
