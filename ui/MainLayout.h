// Where the main window's controls sit: the layer column (the layer boxes,
// the stem list and the groups of trees) at the left; the title, the change bar, the map with its
// legend and the zoom row in the centre; and the window's first size.
#pragma once

class ChangeBar;
class LegendPanel;
class Viewer;
class ZoomCtrl;
class wxFrame;
class wxPanel;
class wxWindow;
class wxStaticText;
class wxStatusBar;

struct MainControls {
    wxPanel* panel;    // holds every control below
    wxWindow* column;  // the layer column
    wxStaticText* title;
    ChangeBar* changeBar;
    Viewer* viewer;
    LegendPanel* legendPanel;
    wxStaticText* zoomLabel;
    ZoomCtrl* zoomCtrl;
};

// Puts the controls into their sizers on the panel, and the panel into the frame.
void ArrangeMainWindow(wxFrame* frame, const MainControls& controls);

// The map keeps the room a 750 x 550 frame gave it before the legend and
// the status bar came; the legend, the bar and the height the layer column
// needs (columnHeight) are added around it, as far as the screen's work
// area allows, and the frame is centred on it with room left for the
// inspector beside it where there is.
void FitFirstSize(wxFrame* frame, LegendPanel* legendPanel, wxStatusBar* statusBar,
                  int columnHeight);
