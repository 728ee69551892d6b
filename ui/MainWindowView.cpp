// The view half of MainWindow: drawing the map at the screen's own pixels,
// where it looks (zoom, pan, the frame's shape), what the title and the zoom
// control say of it, and the command line that redraws it.
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/panel.h>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/ViewCommand.h"
#include "data/PlotComparison.h"
#include "render/ColorSettings.h"
#include "render/Legend.h"
#include "render/PlotPixels.h"
#include "ui/LegendPanel.h"
#include "ui/MainMenu.h"
#include "ui/MainWindow.h"
#include "ui/MapNavigation.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/ScreenText.h"
#include "ui/TreeStatsWindow.h"
#include "ui/Viewer.h"

// ---------------------------------------------------------------------------
// The picture

Scene MainWindow::CurrentScene() const {
    const wxSize size = viewer->PictureSize();
    return Scene{
        layerBoxes->Ticked(),       selection->GetRowStems(), session.GetView(), size.x, size.y,
        session.GetSelectedGroups()};
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
        session.MakeTreeSets(selection->GetRowStems(), retryFailedTrees) ||
        session.MakeDerived(SceneNeeds(CurrentScene()), retryFailedTrees)) {
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
    const std::vector<wxString>& groups = session.GetSelectedGroups();
    legendPanel->SetSections(BuildLegend(session.GetPainter(), layerBoxes->Ticked(), trees,
                                         CurrentStyle(), true, groups));
    readoutBar->SetTrees(trees, groups);
    readoutBar->SetClasses(ClassesForReading(session.GetPlot(), trees, CurrentStyle()));
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
    // Without a compared plot the change layers draw nothing, and the
    // export would refuse them.
    PlotComparison* comparison = session.GetComparison();
    for (const LayerDef* layer : scene.layers) {
        if (comparison || !IsChangeLayer(*layer)) {
            picture.layers.push_back(layer);
        }
    }
    if (comparison) {
        picture.comparePath = Utf8(wxFileName(comparison->GetOther().GetPath()).GetAbsolutePath());
    }
    for (const wxString& tree : scene.trees) {
        picture.stems.push_back(Utf8(tree));
    }
    picture.groupBy = session.GetGroupColumn();
    for (const wxString& group : scene.groups) {
        picture.groups.push_back(Utf8(group));
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

void MainWindow::UpdateZoomDisplay() {
    UpdateTitle();
    navigation->ShowZoom();
}

void MainWindow::UpdateTitle() {
    // The document first, as desktop programs name theirs; the view is
    // given by Edit > Copy View as Command.
    if (!session.IsOpen()) {
        SetTitle("Quenvar");
        return;
    }
    const wxString compared = session.GetComparedName();
    SetTitle(session.GetFileName() + (compared.empty() ? wxString() : " vs " + compared) +
             wxString::FromUTF8(" \u2014 Quenvar"));
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
void MainWindow::OnViewChanged() {
    ClearLayerCaches();
    RedrawLayers();
}

void MainWindow::PanView(int dx, int dy) {
    navigation->Pan(dx, dy);
}

void MainWindow::WheelZoom(int notches, int x, int y) {
    navigation->Wheel(notches, x, y);
}
