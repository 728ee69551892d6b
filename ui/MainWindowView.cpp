// The view half of MainWindow: where the map looks (zoom, pan, the frame's
// shape), what the title and the zoom control say of it, and the command
// line that redraws it.
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/ViewCommand.h"
#include "render/ColorSettings.h"
#include "render/PlotPixels.h"
#include "render/RenderHelper.h"
#include "ui/MainMenu.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

PlotFrame MainWindow::ViewerFrame() const {
    const wxSize size = viewer->GetClientSize();
    return renderHelper->Frame(renderHelper->GetView(), size.x, size.y);
}

wxString MainWindow::ViewCommand() const {
    if (!renderHelper) {
        return wxString();
    }
    const Scene scene = CurrentScene();
    PictureRequest picture;
    picture.width = scene.width;
    picture.height = scene.height;
    picture.view = scene.view;
    picture.layers = scene.layers;
    for (const wxString& tree : scene.trees) {
        picture.stems.push_back(Utf8(tree));
    }
    picture.shape = frameShape;
    ColorSettings defaults;
    TakeColorOptions(colorSettings ? *colorSettings : defaults, picture);
    return wxString::FromUTF8(ViewCommandText(picture, Utf8(filePath), "view.png"));
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

Scene MainWindow::CurrentScene() const {
    const wxSize size = viewer->GetClientSize();
    return Scene{layerBoxes->Ticked(), selection->GetRowStems(), renderHelper->GetView(), size.x,
                 size.y};
}

// The label shows the zoom of any view; the thumb stands at the nearest level.
void MainWindow::UpdateZoomDisplay() {
    UpdateTitle();
    if (!renderHelper) {
        zoomLabel->SetLabel("?%");
        zoomCtrl->SetValue(zoomCtrl->GetMinimum());
        return;
    }
    const PlotRect& view = renderHelper->GetView();
    const int levels = int(zoomCtrl->GetMaximum() - zoomCtrl->GetMinimum()) + 1;
    zoomCtrl->SetValue(zoomCtrl->GetMinimum() + navigator.NearestLevel(view, levels) - 1);
    const double percent = 100.0 * renderHelper->GetFullExtent().Width() / view.Width();
    // A plot without width (a single stem) has no meaningful zoom.
    if (!std::isfinite(percent) || std::fabs(percent) > 1e9) {
        zoomLabel->SetLabel("?%");
        return;
    }
    zoomLabel->SetLabel(wxString::Format("%d%s", int(percent), "%"));
}

void MainWindow::UpdateTitle() {
    if (!renderHelper) {
        SetTitle("Quenvar");
        return;
    }
    // The document first, as desktop programs name theirs; the view is
    // given by Edit > Copy View as Command.
    SetTitle(fileName + wxString::FromUTF8(" \u2014 Quenvar"));
}

void MainWindow::PanView(int dx, int dy) {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "View moved: (%d, %d)", dx, dy);
    ShowView(PannedView(ViewerFrame(), dx, dy));
}

void MainWindow::WheelZoom(int notches, int x, int y) {
    if (!renderHelper) {
        return;
    }
    double fx = 0.5;
    double fy = 0.5;
    PixelFractions(ViewerFrame(), x, y, fx, fy);
    ZoomBy(notches, fx, fy);
}

// Each notch is logged as the zoom control's steps are; a notch beyond the
// limits changes nothing and is not.
void MainWindow::ZoomBy(int notches, double fx, double fy) {
    PlotRect view = renderHelper->GetView();
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
    frameShape = shape;
    GetMenuBar()->Check(ID_TRUE_PROPORTIONS, shape.trueProportions);
    GetMenuBar()->Check(ID_NORTH_UP, shape.northUp);
    if (renderHelper) {
        renderHelper->SetFrameShape(shape);
        ClearLayerCaches();
        RedrawLayers();
        UpdateTitle();
    }
}

// Every change of the view draws every layer again.
void MainWindow::ShowView(const PlotRect& view) {
    renderHelper->SetView(view.xMin, view.yMin, view.xMax, view.yMax);
    ClearLayerCaches();
    RedrawLayers();
}

void MainWindow::ZoomCommand(bool in) {
    if (renderHelper) {
        ZoomBy(in ? 1 : -1, 0.5, 0.5);
    }
}

// A tenth of the view; logged as the pixels the picture moves, like a drag.
void MainWindow::PanCommand(int stepsX, int stepsY) {
    if (!renderHelper) {
        return;
    }
    const wxSize size = viewer->GetClientSize();
    Log(LOG_RUN, "View moved: (%d, %d)", -stepsX * size.x / 10, -stepsY * size.y / 10);
    // North up, the key for down shows what lies south.
    const int south = renderHelper->GetFrameShape().northUp ? -stepsY : stepsY;
    ShowView(ViewNavigator::Pan(renderHelper->GetView(), stepsX / 10.0, south / 10.0));
}

void MainWindow::FullExtentCommand() {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "View reset to the full extent.");
    ShowView(renderHelper->GetFullExtent());
}
