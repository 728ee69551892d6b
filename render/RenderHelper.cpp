// The plot frame and the highlighted stems of RenderHelper; its layer
// drawing lives in RenderLayers.cpp.
#include "render/RenderHelper.h"

#include <algorithm>

RenderHelper::RenderHelper(std::unique_ptr<PlotFile> plotFile)
    : plot(std::move(plotFile)), view(plot->GetFullExtent()) {}

void RenderHelper::SetView(double xMin, double yMin, double xMax, double yMax) {
    view = PlotRect{xMin, yMin, xMax, yMax};
}

void RenderHelper::AddHighlightedStem(const wxString& name) {
    if (std::find(highlightedStems.begin(), highlightedStems.end(), name) ==
        highlightedStems.end()) {
        highlightedStems.push_back(name);
    }
}

void RenderHelper::RemoveHighlightedStem(const wxString& name) {
    auto found = std::find(highlightedStems.begin(), highlightedStems.end(), name);
    if (found != highlightedStems.end()) {
        highlightedStems.erase(found);
    }
}
