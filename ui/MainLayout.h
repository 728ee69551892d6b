// Where the main window's controls sit: the layer boxes and the stem list
// in the left column; the title, the change bar, the map with its legend
// and the zoom row in the centre; and the window's first size.
#pragma once

class ChangeBar;
class LayerBoxes;
class LegendPanel;
class Viewer;
class ZoomCtrl;
class wxFrame;
class wxListBox;
class wxPanel;
class wxStaticBox;
class wxStaticText;
class wxStatusBar;

struct MainControls {
    wxPanel* panel;  // holds every control below
    LayerBoxes* layerBoxes;
    wxStaticBox* stemsBox;
    wxListBox* stemList;
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
// the status bar came; the legend and the bar are added around it, as far
// as the screen's work area allows, and the frame is centred on it.
void FitFirstSize(wxFrame* frame, LegendPanel* legendPanel, wxStatusBar* statusBar);

// After controls came or went: the frame grows, within the screen's work
// area, until its controls fit; it never shrinks.
void GrowToFit(wxFrame* frame, wxPanel* panel);
