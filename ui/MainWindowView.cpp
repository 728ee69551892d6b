// The view half of MainWindow: drawing the map at the screen's own pixels,
// where it looks (zoom, pan, the frame's shape), what the title and the zoom
// control say of it, and the command line that redraws it.
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/ViewCommand.h"
#include "render/ColorSettings.h"
#include "render/Legend.h"
#include "render/PlotPixels.h"
#include "ui/LegendPanel.h"
#include "ui/MainMenu.h"
#include "ui/MainWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/ScreenText.h"
#include "ui/TreeStatsWindow.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

namespace {

// The narrowest view, on its shorter side: a few grid cells.
constexpr double kCellsAcross = 3.0;

}  // namespace

// ---------------------------------------------------------------------------
// The picture

Scene MainWindow::CurrentScene() const {
    const wxSize size = viewer->PictureSize();
    return Scene{layerBoxes->Ticked(), selection->GetRowStems(), session.GetView(), size.x, size.y};
}

PictureStyle MainWindow::CurrentStyle() const {
    PictureStyle style = SettingsStyle();
    style.textScale = ScreenTextScale();
    style.pixelRatio = viewer->PixelRatio();
    style.treeColors = session.GetTreeColors();
    return style;
}

PlotFrame MainWindow::MapFrame() const {
    const wxSize size = viewer->PictureSize();
    return session.GetPainter().Frame(session.GetView(), size.x, size.y, viewer->PixelRatio());
}

void MainWindow::PlotPointAt(const wxPoint& windowPixel, double& x, double& y) const {
    const wxPoint pixel = viewer->PicturePixel(windowPixel);
    PixelToPlot(MapFrame(), pixel.x, pixel.y, x, y);
}

void MainWindow::RedrawLayers(bool retryFailedTrees) {
    // While work on the file runs, its end draws again.
    if (!session.IsOpen() || session.IsWorking() ||
        session.MakeTreeSets(selection->GetRowStems(), retryFailedTrees)) {
        UpdateZoomDisplay();
        return;
    }
    // Every read of the drawing sees one state of the file, and none is cut
    // off halfway by another program's write: a layer is never kept empty
    // because the file was busy.
    Database database = session.GetPlot().GetDatabase();
    if (!database.BeginReading()) {
        ShowFileBusy();
        UpdateZoomDisplay();
        return;
    }
    std::vector<wxBitmap> stack;
    ComposeLayers(
        session.GetPainter(), CurrentScene(), CurrentStyle(),
        [&stack](const wxBitmap& layer) { stack.push_back(layer); }, &layerCache);
    viewer->SetLayers(stack);
    UpdateZoomDisplay();
    UpdateReadingAids();
    database.EndReading();
    readoutBar->SetFileBusy(false);
    layerPanel->Layout();
}

void MainWindow::UpdateReadingAids() {
    const std::vector<wxString> trees = selection->GetRowStems();
    legendPanel->SetSections(
        BuildLegend(session.GetPlot(), layerBoxes->Ticked(), trees, CurrentStyle()));
    readoutBar->SetTrees(trees);
    readoutBar->Reread();
    statsWindow->ShowSelection(trees);
}

// ---------------------------------------------------------------------------
// The view

wxString MainWindow::ViewCommand() const {
    if (!session.IsOpen()) {
        return wxString();
    }
    const Scene scene = CurrentScene();
    const wxSize size = viewer->GetClientSize();
    PictureRequest picture;
    picture.width = size.x;
    picture.height = size.y;
    picture.scale = int(viewer->PixelRatio());
    picture.view = scene.view;
    picture.layers = scene.layers;
    for (const wxString& tree : scene.trees) {
        picture.stems.push_back(Utf8(tree));
    }
    picture.shape = session.GetFrameShape();
    ColorSettings defaults;
    TakeColorOptions(colorSettings ? *colorSettings : defaults, picture);
    return wxString::FromUTF8(ViewCommandText(picture, Utf8(session.GetFilePath()), "view.png"));
}

void MainWindow::CopyViewCommand() {
    const wxString command = ViewCommand();
    Log(LOG_RUN, "View copied as a command.");
    if (command.empty() || !wxTheClipboard->Open()) {
        return;
    }
    wxTheClipboard->SetData(new wxTextDataObject(command));
    wxTheClipboard->Close();
}

// The label shows the zoom of any view; the thumb stands at the nearest level.
void MainWindow::UpdateZoomDisplay() {
    UpdateTitle();
    if (!session.IsOpen()) {
        zoomLabel->SetLabel("?%");
        zoomCtrl->SetValue(zoomCtrl->GetMinimum());
        return;
    }
    const PlotRect& view = session.GetView();
    const int levels = int(zoomCtrl->GetMaximum() - zoomCtrl->GetMinimum()) + 1;
    zoomCtrl->SetValue(zoomCtrl->GetMinimum() + navigator.NearestLevel(view, levels) - 1);
    const double percent = 100.0 * session.GetFullExtent().Width() / view.Width();
    // A plot without width (a single stem) has no meaningful zoom.
    if (!std::isfinite(percent) || std::fabs(percent) > 1e9) {
        zoomLabel->SetLabel("?%");
        return;
    }
    zoomLabel->SetLabel(wxString::Format("%d%s", int(percent), "%"));
}

void MainWindow::UpdateTitle() {
    // The document first, as desktop programs name theirs; the view is
    // given by Edit > Copy View as Command.
    SetTitle(session.IsOpen() ? session.GetFileName() + wxString::FromUTF8(" \u2014 Quenvar")
                              : wxString("Quenvar"));
}

// The wheel zooms in to a few grid cells across and out to the whole plot.
void MainWindow::ResetNavigator() {
    const PlotRect& full = session.GetFullExtent();
    const UptakeGridData* grid = session.GetPlot().GetUptakeGrid();
    // Without a grid there are no cells to count; a hundredth of the plot serves.
    const double span =
        grid ? kCellsAcross * grid->GetCellSize() : std::min(full.Width(), full.Height()) / 100;
    navigator.Reset(full, span);
}

void MainWindow::OnZoom(ZoomEvent& event) {
    if (!session.IsOpen()) {
        return;
    }
    PlotRect view = session.GetView();
    if (!navigator.Step(view, event.IsZoomIn())) {
        // The thumb goes back to the level of the unchanged view.
        UpdateZoomDisplay();
        return;
    }
    Log(LOG_RUN, event.IsZoomIn() ? "View zoomed in." : "View zoomed out.");
    ShowView(view);
}

void MainWindow::PanView(int dx, int dy) {
    if (!session.IsOpen()) {
        return;
    }
    Log(LOG_RUN, "View moved: (%d, %d)", dx, dy);
    ShowView(PannedView(MapFrame(), dx, dy));
}

void MainWindow::WheelZoom(int notches, int x, int y) {
    if (!session.IsOpen()) {
        return;
    }
    double fx = 0.5;
    double fy = 0.5;
    PixelFractions(MapFrame(), x, y, fx, fy);
    ZoomBy(notches, fx, fy);
}

// Each notch is logged as the zoom control's steps are; a notch beyond the
// limits changes nothing and is not.
void MainWindow::ZoomBy(int notches, double fx, double fy) {
    PlotRect view = session.GetView();
    bool changed = false;
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        if (!navigator.Zoom(view, notches > 0, fx, fy)) {
            break;
        }
        Log(LOG_RUN, notches > 0 ? "View zoomed in." : "View zoomed out.");
        changed = true;
    }
    if (changed) {
        ShowView(view);
    }
}

// The shape holds for every plot opened after, as the colour scale does.
void MainWindow::SetFrameShape(const FrameShape& shape) {
    session.SetFrameShape(shape);
    GetMenuBar()->Check(ID_TRUE_PROPORTIONS, shape.trueProportions);
    GetMenuBar()->Check(ID_NORTH_UP, shape.northUp);
    if (session.IsOpen()) {
        ClearLayerCaches();
        RedrawLayers();
        UpdateTitle();
    }
}

// Every change of the view draws every layer again.
void MainWindow::ShowView(const PlotRect& view) {
    session.SetView(view);
    ClearLayerCaches();
    RedrawLayers();
}

void MainWindow::ZoomCommand(bool in) {
    if (session.IsOpen()) {
        ZoomBy(in ? 1 : -1, 0.5, 0.5);
    }
}

// A tenth of the view; logged as the pixels the picture moves, like a drag.
void MainWindow::PanCommand(int stepsX, int stepsY) {
    if (!session.IsOpen()) {
        return;
    }
    const wxSize size = viewer->PictureSize();
    Log(LOG_RUN, "View moved: (%d, %d)", -stepsX * size.x / 10, -stepsY * size.y / 10);
    // North up, the key for down shows what lies south.
    const int south = session.GetFrameShape().northUp ? -stepsY : stepsY;
    ShowView(ViewNavigator::Pan(session.GetView(), stepsX / 10.0, south / 10.0));
}

void MainWindow::FullExtentCommand() {
    if (!session.IsOpen()) {
        return;
    }
    Log(LOG_RUN, "View reset to the full extent.");
    ShowView(session.GetFullExtent());
}
