#include "render/GridDataRenderer.h"

wxBitmap GridDataRenderer::RenderTestPattern() {
    return DrawOnBitmap([](Canvas& canvas) { canvas.Line(0, 0, 1000, 1000, wxColour(255, 0, 0)); });
}
