// The map on a screen with a scale factor of two: drawn at the screen's own
// pixels and shown without enlargement, clicked where its stems are, and
// the same picture as the export of its copied command at --scale 2.
#include <gtest/gtest.h>
#include <wx/app.h>

#include <cmath>
#include <sstream>

#include "InputSupport.h"
#include "MainWindowSupport.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "ui/InspectWindow.h"
#include "ui/MainMenu.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

// Last: the X headers define macros that clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

const char* const kSteadyLayers =
    "uptake-blocks,count-isolines,stems-plain,stems-dbh,stem-labels,scale,tree-blocks";

bool SamePixels(const wxImage& a, const wxImage& b) {
    return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
           memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
}

class ScaledMapTest : public InputWindowTest {
  protected:
    Viewer* viewer = nullptr;
    Display* display = XOpenDisplay(nullptr);

    void SetUp() override {
        InputWindowTest::SetUp();
        OpenPlot();
        viewer = window->GetViewer();
        ASSERT_EQ(viewer->PixelRatio(), 2.0) << "GTK did not take the scale factor";
    }

    void TearDown() override {
        XCloseDisplay(display);
        InputWindowTest::TearDown();
    }

    // The screen pixel (the server's own) of a picture pixel of the map.
    wxPoint ScreenPixel(const wxPoint& picture) {
        return viewer->ClientToScreen(wxPoint(0, 0)) * 2 + picture;
    }

    // The picture pixel of a plot point under the current view.
    wxPoint PicturePixelOf(double x, double y) {
        const wxSize size = viewer->PictureSize();
        const PlotRect& view = window->OpenSession()->GetView();
        return wxPoint(int(std::floor((x - view.xMin) * size.x / view.Width())),
                       int(std::floor((y - view.yMin) * size.y / view.Height())));
    }

    void ClickScreen(const wxPoint& at) {
        XTestFakeMotionEvent(display, -1, at.x, at.y, CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        input.Settle();
    }

    // What the server shows from a screen pixel on, as large as the map.
    wxImage ScreenShot(const wxPoint& origin) {
        const wxSize size = viewer->PictureSize();
        wxImage image(size.x, size.y);
        XImage* shot = XGetImage(display, DefaultRootWindow(display), origin.x, origin.y,
                                 unsigned(size.x), unsigned(size.y), AllPlanes, ZPixmap);
        if (!shot) {
            return wxImage();
        }
        for (int y = 0; y < size.y; ++y) {
            for (int x = 0; x < size.x; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                image.SetRGB(x, y, (pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
            }
        }
        XDestroyImage(shot);
        return image;
    }

    // Whether the screen shows the picture pixel for pixel. The window
    // manager may put the window at an odd screen pixel, which the window's
    // own position, in pixels twice as large, cannot tell.
    bool ScreenShows(const wxImage& picture) {
        const wxPoint origin = ScreenPixel(wxPoint(0, 0));
        for (const wxPoint& shift : {wxPoint(0, 0), wxPoint(1, 0), wxPoint(0, 1), wxPoint(1, 1)}) {
            if (SamePixels(ScreenShot(origin + shift), picture)) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace

// Read back from the server: the map is twice the window's size in the
// screen's pixels, and the screen shows it unchanged. A click on T3's dot
// picks T3; read as window pixels it would land near T4, halved near T1.
TEST_F(ScaledMapTest, MapIsShownAtScreenPixelsAndAClickPicksTheStemUnderIt) {
    // On this small screen the inspector lies over the map.
    window->GetInspector()->Hide();
    Tick("Stem Map (Plain)");
    ASSERT_TRUE(PumpUntil([this] { return viewer->GetComposite().IsOk(); }));
    const wxSize client = viewer->GetClientSize();
    EXPECT_EQ(viewer->GetComposite().GetSize(), client * 2);
    ASSERT_TRUE(PumpUntil([this] { return ScreenShows(viewer->GetComposite().ConvertToImage()); }));

    ClickScreen(ScreenPixel(PicturePixelOf(5.0, 8.0)));
    ASSERT_TRUE(PumpUntil([this] { return !window->OpenSession()->GetSelected().empty(); }));
    EXPECT_EQ(window->OpenSession()->GetSelected(), std::vector<wxString>{"T3"});
}

TEST_F(ScaledMapTest, MapEqualsTheExportOfItsCopiedCommand) {
    std::stringstream keys(kSteadyLayers);
    for (std::string key; std::getline(keys, key, ',');) {
        Tick(FindLayer(key)->label);
    }
    ClickStemRow(window, 1);
    window->WheelZoom(2, 300, 200);
    const wxBitmap shown = viewer->GetComposite();
    ASSERT_TRUE(shown.IsOk());

    // quenvar --export view.png --size WxH --scale 2 --view V --layers L --stems T2 FILE
    std::vector<std::string> args;
    std::stringstream command(window->ViewCommand().ToStdString());
    for (std::string word; command >> word;) {
        args.push_back(word == "view.png" ? dir.File("export.png") : word);
    }
    ASSERT_NE(std::find(args.begin(), args.end(), "--scale"), args.end()) << window->ViewCommand();
    const CommandLine line = ParseCommandLine({args.begin() + 1, args.end()});
    ASSERT_EQ(line.mode, CommandMode::Export) << line.error;
    std::string error;
    std::string warning;
    ASSERT_TRUE(ExportPicture(line.request, error, warning)) << error;
    EXPECT_TRUE(
        SamePixels(wxImage(dir.File("export.png"), wxBITMAP_TYPE_PNG), shown.ConvertToImage()));
}
