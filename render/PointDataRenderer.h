// The stem maps: stems of a point data set drawn as fixed dots, as filled
// circles sized by a stem column, or as their labels.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

#include "render/LayerCanvas.h"

class PointData;

// Every stem inside the view as a dot 20 pixels across (the plain stem map).
class PointDataRenderer : public LayerCanvas {
  public:
    using LayerCanvas::LayerCanvas;

    void SetColor(const wxColour& value) { color = value; }
    void Draw(Canvas& canvas, PointData& points);
    // Draws on the bitmap given with SetBitmap.
    wxBitmap Render(PointData& points) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, points); });
    }

  protected:
    // Stem layers map the view alone onto the bitmap; a view without width
    // or height has no finite scale, and such a layer draws nothing.
    bool HasScale() const;

    wxColour color;
};

// Every stem as a filled circle whose radius, in plot units, is read from a
// stem column (the crown and DBH maps and the highlight overlay).
class SizedPointDataRenderer : public PointDataRenderer {
  public:
    using PointDataRenderer::PointDataRenderer;

    void SetColumn(const wxString& name) { column = name; }
    void Draw(Canvas& canvas, PointData& points);
    wxBitmap Render(PointData& points) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, points); });
    }

  private:
    // A filled circle of the given centre and radius in whole pixels.
    void DrawCircle(Canvas& canvas, double cx, double cy, double radius);

    Palette sizeColors;  // unused
    wxString column = "dbh";
};

// Every stem's label on a white box, top-left corner at the stem.
class LabelPointDataRenderer : public PointDataRenderer {
  public:
    using PointDataRenderer::PointDataRenderer;

    void SetColor(const wxColour& value) { labelColor = value; }
    void Draw(Canvas& canvas, PointData& points);
    wxBitmap Render(PointData& points) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, points); });
    }

  private:
    wxColour labelColor;
};
