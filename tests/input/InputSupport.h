// Real pointer and keyboard input through the X server (XTest), and a main
// window on a plot, for the tests of what GTK itself does with that input.
#pragma once

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

class MainWindow;
class wxUIActionSimulator;
class wxWindow;
typedef struct _XDisplay Display;

class RealInput {
  public:
    RealInput();
    ~RealInput();

    // Positions in client pixels of the window.
    void MoveTo(wxWindow* window, wxPoint at);
    // Moves there in steps of a few pixels, as a hand does.
    void GlideTo(wxWindow* window, wxPoint at);
    void Press();
    void Release();
    void Click(wxWindow* window, wxPoint at, int modifiers = 0);
    // Notches of the wheel: positive up (away from the user), negative down.
    void Wheel(int notches);
    void Key(int keycode, int modifiers = 0);
    // Waits until the toolkit has handled everything sent so far.
    void Settle();

  private:
    std::unique_ptr<wxUIActionSimulator> simulator;
    Display* display = nullptr;
    wxPoint position;
};

// Waits until the window is the one the window manager gives the keyboard.
bool WaitUntilActive(wxWindow* topLevel);

int CountOf(const std::vector<std::string>& lines, const std::string& wanted);

// What the screen shows of a window's client area.
wxImage ScreenImage(wxWindow* window);

// A main window on the plot of MakeTreePlot, active under the window manager.
class InputWindowTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    RealInput input;

    void SetUp() override;
    void TearDown() override;
    void OpenPlot();
    // Ticks a layer's box as a click on it would.
    void Tick(const char* label);
    // The viewer pixel of a plot point under the current view.
    wxPoint PixelOf(double x, double y);
};
