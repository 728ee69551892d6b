#include "InputSupport.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <algorithm>

#include "MainWindowSupport.h"
#include "TestPlot.h"

// Last: the X headers define macros (None, Status, Success) that clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

RealInput::RealInput() : simulator(new wxUIActionSimulator), display(XOpenDisplay(nullptr)) {}

RealInput::~RealInput() {
    if (display) {
        XCloseDisplay(display);
    }
}

void RealInput::MoveTo(wxWindow* window, wxPoint at) {
    position = window->ClientToScreen(at);
    simulator->MouseMove(position);
    Settle();
}

void RealInput::GlideTo(wxWindow* window, wxPoint at) {
    const wxPoint from = position;
    const wxPoint to = window->ClientToScreen(at);
    const int steps = std::max(1, std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) / 4);
    for (int i = 1; i <= steps; ++i) {
        position = from + wxPoint((to.x - from.x) * i / steps, (to.y - from.y) * i / steps);
        simulator->MouseMove(position);
        Settle();
    }
}

void RealInput::Press() {
    simulator->MouseDown();
    Settle();
}

void RealInput::Release() {
    simulator->MouseUp();
    Settle();
}

void RealInput::Click(wxWindow* window, wxPoint at, int modifiers) {
    MoveTo(window, at);
    // The modifier keys are held as a hand holds them, around the click.
    std::vector<int> keys;
    if (modifiers & wxMOD_CONTROL) {
        keys.push_back(WXK_CONTROL);
    }
    if (modifiers & wxMOD_SHIFT) {
        keys.push_back(WXK_SHIFT);
    }
    for (int key : keys) {
        simulator->KeyDown(key);
    }
    Press();
    Release();
    for (int key : keys) {
        simulator->KeyUp(key);
    }
    Settle();
}

void RealInput::Wheel(int notches) {
    // The X server reports the wheel as buttons 4 (up) and 5 (down).
    const unsigned button = notches > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(notches); ++i) {
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
        Settle();
    }
}

void RealInput::Key(int keycode, int modifiers) {
    simulator->Char(keycode, modifiers);
    Settle();
}

void RealInput::Settle() {
    // Once the server has answered, the events it made from the input so far
    // are on their way to the toolkit; then they are handled until none wait.
    XSync(display, False);
    for (int quiet = 0; quiet < 3;) {
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        const bool pending = (loop && loop->Pending()) || wxTheApp->HasPendingEvents();
        PumpPending();
        quiet = pending ? 0 : quiet + 1;
        XSync(display, False);
    }
}

bool WaitUntilActive(wxWindow* topLevel) {
    wxTopLevelWindow* window = dynamic_cast<wxTopLevelWindow*>(topLevel);
    return window && PumpUntil([window] { return window->IsActive(); });
}

int CountOf(const std::vector<std::string>& lines, const std::string& wanted) {
    return int(std::count(lines.begin(), lines.end(), wanted));
}

wxImage ScreenImage(wxWindow* window) {
    // Read from the server itself: what the screen shows, not what the toolkit meant to draw.
    const wxSize size = window->GetClientSize();
    const wxPoint origin = window->ClientToScreen(wxPoint(0, 0));
    wxImage image(size.x, size.y);
    Display* display = XOpenDisplay(nullptr);
    XImage* shot = XGetImage(display, DefaultRootWindow(display), origin.x, origin.y,
                             unsigned(size.x), unsigned(size.y), AllPlanes, ZPixmap);
    if (shot) {
        for (int y = 0; y < size.y; ++y) {
            for (int x = 0; x < size.x; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                image.SetRGB(x, y, (pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
            }
        }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

void InputWindowTest::SetUp() {
    window = NewTestWindow();
    window->SetMessageSink([](const wxString& text, const wxString&, long) {
        ADD_FAILURE() << text.utf8_str().data();
    });
    window->Raise();
    ASSERT_TRUE(WaitUntilActive(window)) << "the window manager never focused the window";
}

void InputWindowTest::TearDown() {
    window->Destroy();
    wxTheApp->ProcessIdle();
}

void InputWindowTest::OpenPlot() {
    MakeTreePlot("plot.db");
    window->OpenDatabase("plot.db");
    ASSERT_TRUE(PumpUntil([this] { return !window->IsLoading() && !ShownProgressWindow(window); }));
    ASSERT_NE(window->OpenSession(), nullptr);
    // The progress window took the keyboard while it was up.
    ASSERT_TRUE(WaitUntilActive(window));
}

void InputWindowTest::Tick(const char* label) {
    ToggleLayer(window, label, true);
}

wxPoint InputWindowTest::PixelOf(double x, double y) {
    return ViewerPixelOf(window, x, y);
}
