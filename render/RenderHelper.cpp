#include "render/RenderHelper.h"

RenderHelper::RenderHelper(std::unique_ptr<PlotFile> plotFile)
    : plot(std::move(plotFile)), painter(*plot) {}

void RenderHelper::SetView(double xMin, double yMin, double xMax, double yMax) {
    painter.SetView(PlotRect{xMin, yMin, xMax, yMax});
}

void RenderHelper::SetViewXMin(double value) {
    PlotRect view = GetView();
    view.xMin = value;
    painter.SetView(view);
}

void RenderHelper::SetViewYMin(double value) {
    PlotRect view = GetView();
    view.yMin = value;
    painter.SetView(view);
}

void RenderHelper::SetViewXMax(double value) {
    PlotRect view = GetView();
    view.xMax = value;
    painter.SetView(view);
}

void RenderHelper::SetViewYMax(double value) {
    PlotRect view = GetView();
    view.yMax = value;
    painter.SetView(view);
}

PictureStyle RenderHelper::Style() const {
    PictureStyle style = SettingsStyle();
    style.textScale = textScale;
    style.treeColors = treeColors;
    return style;
}

wxBitmap RenderHelper::RenderPlotLayers(uint32_t flags, int width, int height) {
    return painter.RenderGroup(LayerGroup::Plot, flags, wxString(),
                               painter.Frame(GetView(), width, height), Style());
}

wxBitmap RenderHelper::RenderStemLayers(uint32_t flags, const wxString& stemName, int width,
                                        int height) {
    return painter.RenderGroup(LayerGroup::Tree, flags, stemName,
                               painter.Frame(GetView(), width, height), Style());
}

wxBitmap RenderHelper::RenderLayer(const LayerDef& layer, const wxString& tree,
                                   const PlotRect& layerView, int width, int height) {
    return painter.RenderLayer(layer, tree, layerView, width, height, Style());
}

LayerImage RenderHelper::RenderLayerImage(const LayerDef& layer, const wxString& tree,
                                          const PlotRect& layerView, int width, int height) {
    return painter.RenderLayerImage(layer, tree, layerView, width, height, Style());
}

void RenderHelper::DrawLayer(const LayerDef& layer, const wxString& tree, const PlotFrame& frame,
                             Canvas& canvas) {
    painter.DrawLayer(layer, tree, frame, canvas, Style());
}
