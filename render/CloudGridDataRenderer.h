// Draws a gridded data set as a cloud of small dots: each cell in the view
// with a positive count gets dots at random places inside it, as many as its
// share of the data set's maximum allows.
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>

#include <vector>

#include "render/GridDataRenderer.h"

// The dots of a cell whose value is the data set's maximum.
constexpr int kCloudDensity = 18;

class CloudGridDataRenderer : public GridDataRenderer {
  public:
    using GridDataRenderer::GridDataRenderer;

    void SetColor(const wxColour& value) { color = value; }
    void SetDensity(int value) { density = value; }
    int GetDensity() const { return density; }

    void Draw(Canvas& canvas, GridData& data);
    // Draws on the bitmap given with SetBitmap.
    wxBitmap Render(GridData& data) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, data); });
    }

  private:
    // Each dot is an ellipse of 2 by 2 nominal pixels whose top-left corner is the given point.
    void DrawDots(Canvas& canvas, const std::vector<wxPoint>& corners);

    int density = kCloudDensity;
    wxColour color;
};
