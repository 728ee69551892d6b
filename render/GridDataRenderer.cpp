#include "render/GridDataRenderer.h"

#include <wx/brush.h>
#include <wx/pen.h>

GridDataRenderer::GridDataRenderer(double xMin, double yMin, double xMax, double yMax, int width,
                                   int height)
    : LayerCanvas(xMin, yMin, xMax, yMax, width, height) {}

wxBitmap GridDataRenderer::RenderTestPattern() {
    if (CanDraw()) {
        dc.SetPen(*wxRED_PEN);
        dc.SetBackground(wxBrush(*wxRED, wxBRUSHSTYLE_SOLID));
        dc.SetBrush(wxBrush(*wxRED, wxBRUSHSTYLE_SOLID));
        dc.DrawLine(0, 0, 1000, 1000);
    }
    return bitmap;
}
