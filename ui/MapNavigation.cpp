#include "ui/MapNavigation.h"

#include <wx/stattext.h>

#include <cmath>
#include <cstdlib>

#include "base/Log.h"
#include "render/PlotPixels.h"
#include "ui/MainMenu.h"
#include "ui/PlotSession.h"
#include "ui/ZoomCtrl.h"

namespace {

// The narrowest view, on its shorter side: a few grid cells.
constexpr double kCellsAcross = 3.0;

}  // namespace

MapNavigation::MapNavigation(PlotSession& session, ZoomCtrl* zoomCtrl, wxStaticText* zoomLabel,
                             std::function<PlotFrame()> frame, std::function<void()> viewChanged)
    : session(session),
      zoomCtrl(zoomCtrl),
      zoomLabel(zoomLabel),
      frame(std::move(frame)),
      viewChanged(std::move(viewChanged)) {}

// The wheel zooms in to a few grid cells across and out to the whole plot.
void MapNavigation::Reset() {
    const PlotRect& full = session.GetFullExtent();
    const UptakeGridData* grid = session.GetPlot().GetUptakeGrid();
    // Without a grid there are no cells to count; a hundredth of the plot serves.
    const double span =
        grid ? kCellsAcross * grid->GetCellSize() : std::min(full.Width(), full.Height()) / 100;
    navigator.Reset(full, span);
}

void MapNavigation::OnZoom(ZoomEvent& event) {
    if (!session.IsOpen()) {
        return;
    }
    PlotRect view = session.GetView();
    if (!navigator.Step(view, event.IsZoomIn())) {
        // The thumb goes back to the level of the unchanged view.
        ShowZoom();
        return;
    }
    Log(LOG_RUN, event.IsZoomIn() ? "View zoomed in." : "View zoomed out.");
    Show(view);
}

void MapNavigation::Pan(int dx, int dy) {
    if (!session.IsOpen()) {
        return;
    }
    Log(LOG_RUN, "View moved: (%d, %d)", dx, dy);
    Show(PannedView(frame(), dx, dy));
}

void MapNavigation::Wheel(int notches, int x, int y) {
    if (!session.IsOpen()) {
        return;
    }
    double fx = 0.5;
    double fy = 0.5;
    PixelFractions(frame(), x, y, fx, fy);
    ZoomBy(notches, fx, fy);
}

// Each notch is logged as the zoom control's steps are; a notch beyond the
// limits changes nothing and is not.
void MapNavigation::ZoomBy(int notches, double fx, double fy) {
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
        Show(view);
    }
}

void MapNavigation::Zoom(bool in) {
    if (session.IsOpen()) {
        ZoomBy(in ? 1 : -1, 0.5, 0.5);
    }
}

// A tenth of the view; logged as the pixels the picture moves, like a drag.
void MapNavigation::PanSteps(int stepsX, int stepsY) {
    if (!session.IsOpen()) {
        return;
    }
    const PlotFrame map = frame();
    Log(LOG_RUN, "View moved: (%d, %d)", -stepsX * map.Width() / 10, -stepsY * map.Height() / 10);
    // North up, the key for down shows what lies south.
    const int south = session.GetFrameShape().northUp ? -stepsY : stepsY;
    Show(ViewNavigator::Pan(session.GetView(), stepsX / 10.0, south / 10.0));
}

void MapNavigation::FullExtent() {
    if (!session.IsOpen()) {
        return;
    }
    Log(LOG_RUN, "View reset to the full extent.");
    Show(session.GetFullExtent());
}

void MapNavigation::ShowZoom() {
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

void MapNavigation::Show(const PlotRect& view) {
    session.SetView(view);
    viewChanged();
}

bool MapNavigation::Command(int id) {
    switch (id) {
        case ID_ZOOM_IN:
        case ID_ZOOM_OUT:
            Zoom(id == ID_ZOOM_IN);
            return true;
        case ID_PAN_LEFT:
        case ID_PAN_RIGHT:
            PanSteps(id == ID_PAN_LEFT ? -1 : 1, 0);
            return true;
        case ID_PAN_UP:
        case ID_PAN_DOWN:
            PanSteps(0, id == ID_PAN_UP ? -1 : 1);
            return true;
        case ID_FULL_EXTENT:
            FullExtent();
            return true;
        default:
            return false;
    }
}
