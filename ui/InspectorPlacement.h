// Where the inspector stands: beside the main window, at its right where the
// screen has room, else at its left, else against the screen's right edge
// over the legend, past that edge rather than over the map or the layer
// list. Window managers place new
// windows as they like, and the main window takes its first size and place
// only after it is shown, so the inspector follows the main window's moves
// and sizes until the user moves the inspector elsewhere.
#pragma once

#include <wx/gdicmn.h>

#include <functional>

class wxEvent;
class wxTopLevelWindow;

// The space between the main window and the inspector, and the inspector's
// width as it is made.
constexpr int kInspectorGap = 20;
constexpr int kInspectorWidth = 500;

// The inspector's top-left corner for the main window's rectangle and the
// screen's work area; mapRight: the screen x just right of the map (the
// layer list lies left of it).
wxPoint InspectorPosition(const wxRect& main, const wxSize& inspector, const wxRect& screen,
                          int mapRight);

class InspectorPlacement {
  public:
    // mapRight gives the screen x just right of the map.
    InspectorPlacement(wxTopLevelWindow* main, wxTopLevelWindow* inspector,
                       std::function<int()> mapRight);
    // Puts the inspector beside the main window now.
    void Place();
    // Whether it still follows the main window.
    bool IsFollowing() const { return following; }

  private:
    void OnMainChanged(wxEvent& event);
    void OnInspectorMoved(wxEvent& event);

    wxTopLevelWindow* main;
    wxTopLevelWindow* inspector;
    std::function<int()> mapRight;
    bool following = true;
    bool placing = false;  // a placement waits for the main window's layout
};
