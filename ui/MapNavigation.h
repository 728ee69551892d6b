// Where the map looks, as the user moves it: the zoom control's steps, the
// wheel, the drag, the View menu's keys and the whole plot, each change of
// the view logged and handed on to be drawn; and what the zoom label and the
// control's thumb say of the view.
#pragma once

#include <functional>

#include "render/PlotFrame.h"
#include "render/ViewNavigator.h"

class PlotSession;
class wxStaticText;
class ZoomCtrl;
class ZoomEvent;

class MapNavigation {
  public:
    // frame gives the frame the map is drawn in now; viewChanged is called
    // after every change of the session's view.
    MapNavigation(PlotSession& session, ZoomCtrl* zoomCtrl, wxStaticText* zoomLabel,
                  std::function<PlotFrame()> frame, std::function<void()> viewChanged);

    // The limits of the newly opened plot.
    void Reset();
    // The zoom control's step.
    void OnZoom(ZoomEvent& event);
    // A drag of (dx, dy) picture pixels.
    void Pan(int dx, int dy);
    // Wheel notches (positive: in) about the picture pixel x, y.
    void Wheel(int notches, int x, int y);
    // The View menu: a notch about the middle, a tenth of the view, the whole plot.
    void Zoom(bool in);
    void PanSteps(int stepsX, int stepsY);
    void FullExtent();
    // The View menu's command of that identifier (zoom, pan or the whole
    // plot); false for any other command.
    bool Command(int id);
    // The label shows the zoom of any view; the thumb stands at the nearest level.
    void ShowZoom();

  private:
    void ZoomBy(int notches, double fx, double fy);
    void Show(const PlotRect& view);

    PlotSession& session;
    ZoomCtrl* zoomCtrl;
    wxStaticText* zoomLabel;
    std::function<PlotFrame()> frame;
    std::function<void()> viewChanged;
    ViewNavigator navigator;
};
