#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/stdpaths.h>

#include <vector>

#include "TestSupport.h"
#include "ui/Resources.h"
#include "ui/ZoomCtrl.h"

namespace {

// Stands in for the main window, which binds the control's events.
class ZoomRecorder : public wxFrame {
  public:
    ZoomRecorder() : wxFrame(nullptr, wxID_ANY, "zoom test") {}
    std::vector<int> zooms;

    void OnZoom(ZoomEvent& event) { zooms.push_back(event.IsZoomIn() ? 1 : 2); }
};

// 200 pixels wide: a track of 132 pixels, 44 per level from 1 to 4.
constexpr int width = 200;
constexpr int stepPixels = 44;

class ZoomCtrlTest : public testing::Test {
  protected:
    void SetUp() override {
        top = new ZoomRecorder;
        // A panel, so that the frame does not stretch the control to its own width.
        wxPanel* panel = new wxPanel(top);
        control = new ZoomCtrl(panel, 1, 100, 10, 1);
        control->Bind(ZoomEventType, &ZoomRecorder::OnZoom, top);
        control->SetSize(width, 25);
        control->SetMinimum(1);
        control->SetMaximum(4);
        control->SetStep(1);
        control->SetValue(1);
    }

    void TearDown() override { delete top; }

    void Mouse(wxEventType type, int x, int y, bool leftDown) {
        wxMouseEvent event(type);
        event.SetEventObject(control);
        event.SetPosition(wxPoint(x, y));
        event.SetLeftDown(leftDown);
        control->ProcessWindowEvent(event);
    }

    void Click(int x, int y = 12) {
        Mouse(wxEVT_LEFT_DOWN, x, y, true);
        Mouse(wxEVT_LEFT_UP, x, y, false);
    }

    std::vector<int> QueuedZooms() {
        PumpPending();
        return top->zooms;
    }

    TempDir dir;  // for the error log, should an image be missing
    ZoomRecorder* top = nullptr;
    ZoomCtrl* control = nullptr;
};

TEST_F(ZoomCtrlTest, ImageClicksStepWithinTheLevelsAndQueueOnlyRealSteps) {
    Click(10);
    EXPECT_EQ(control->GetValue(), 1u);
    EXPECT_TRUE(QueuedZooms().empty());

    for (int i = 0; i < 3; ++i) {
        Click(width - 10);
    }
    EXPECT_EQ(control->GetValue(), 4u);
    EXPECT_EQ(QueuedZooms(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(control->GetThumbOffset(), width - 68);

    Click(width - 10);
    EXPECT_EQ(control->GetValue(), 4u);
    EXPECT_EQ(QueuedZooms().size(), 3u);

    Click(25);  // the image's last column still counts
    EXPECT_EQ(control->GetValue(), 3u);
    EXPECT_EQ(QueuedZooms(), (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(ZoomCtrlTest, TrackClickAndDragFromOutsideTheThumbChangeNothing) {
    Click(100);
    Mouse(wxEVT_LEFT_DOWN, 100, 10, true);
    Mouse(wxEVT_MOTION, 160, 10, true);
    EXPECT_EQ(control->GetValue(), 1u);
    EXPECT_TRUE(QueuedZooms().empty());
}

TEST_F(ZoomCtrlTest, ThumbDragOfTwoStepsInOneMotionQueuesOneEvent) {
    Mouse(wxEVT_LEFT_DOWN, 34, 10, true);
    Mouse(wxEVT_MOTION, 34 + 2 * stepPixels, 10, true);
    EXPECT_EQ(control->GetValue(), 3u);
    EXPECT_EQ(QueuedZooms(), (std::vector<int>{1}));

    // Dragging back from the new thumb position.
    int tip = control->GetThumbOffset() + 34;
    Mouse(wxEVT_MOTION, tip - stepPixels, 10, true);
    EXPECT_EQ(control->GetValue(), 2u);
    Mouse(wxEVT_LEFT_UP, tip - stepPixels, 10, false);
    EXPECT_EQ(QueuedZooms(), (std::vector<int>{1, 2}));

    // Motion without a button ends nothing and moves nothing after the release.
    Mouse(wxEVT_MOTION, width - 40, 10, true);
    EXPECT_EQ(control->GetValue(), 2u);
}

TEST_F(ZoomCtrlTest, LevelsAreClampedAndStepDownNeverWrapsAround) {
    control->SetMinimum(0);
    control->StepDown(3);
    EXPECT_EQ(control->GetValue(), 0u);
    control->SetValue(9);
    EXPECT_EQ(control->GetValue(), 4u);
    control->SetMinimum(2);
    control->SetValue(1);
    EXPECT_EQ(control->GetValue(), 2u);
}

TEST_F(ZoomCtrlTest, DrawsTrackTicksAndThumbInBlack) {
    control->SetValue(4);
    wxBitmap bitmap(width, 25, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        control->Draw(dc, width);
    }
    wxImage image = bitmap.ConvertToImage();
    auto isBlack = [&](int x, int y) {
        return image.GetRed(x, y) == 0 && image.GetGreen(x, y) == 0 && image.GetBlue(x, y) == 0;
    };
    EXPECT_TRUE(isBlack(30, 11));          // left tick
    EXPECT_TRUE(isBlack(width - 30, 11));  // right tick
    EXPECT_TRUE(isBlack(100, 7));          // track
    EXPECT_FALSE(isBlack(100, 10));        // below the track, no thumb there
    EXPECT_TRUE(isBlack(132 + 34, 13));    // thumb at level 4
    EXPECT_FALSE(isBlack(34, 13));         // not at level 1
}

TEST(ZoomEventTest, CloneKeepsTypeAndOnlyOneMeansZoomIn) {
    ZoomEvent event;
    event.SetZoomType(1);
    std::unique_ptr<wxEvent> clone(event.Clone());
    EXPECT_EQ(clone->GetEventType(), ZoomEventType);
    EXPECT_EQ(clone->GetId(), 0);
    EXPECT_TRUE(static_cast<ZoomEvent*>(clone.get())->IsZoomIn());
    EXPECT_STREQ(clone->GetClassInfo()->GetClassName(), L"ZoomEvent");

    event.SetZoomType(7);
    EXPECT_TRUE(event.IsZoomOut());
}

TEST(ResourcesTest, PathLiesInResourcesBesideTheExecutable) {
    wxFileName executable(wxStandardPaths::Get().GetExecutablePath());
    wxFileName expected(executable.GetPath(), "");
    expected.AppendDir("Resources");
    expected.SetFullName("zoom-in.png");
    EXPECT_EQ(ResourcePath("zoom-in.png"), expected.GetFullPath());
}

TEST(ResourcesTest, ProjectImagesAreReadablePngsOfTheExpectedWidth) {
    wxFileName folder(wxString::FromUTF8(__FILE__));
    folder.RemoveLastDir();
    folder.RemoveLastDir();
    folder.AppendDir("Resources");
    const struct {
        const char* name;
        int width;
    } images[] = {
        {"zoom-out.png", 25}, {"zoom-in.png", 25}, {"tool-colors.png", 0}, {"tool-info.png", 0}};
    for (const auto& expected : images) {
        folder.SetFullName(expected.name);
        wxImage image;
        ASSERT_TRUE(image.LoadFile(folder.GetFullPath(), wxBITMAP_TYPE_PNG)) << expected.name;
        EXPECT_TRUE(image.HasAlpha()) << expected.name;
        if (expected.width) {
            EXPECT_EQ(image.GetWidth(), expected.width) << expected.name;
        }
    }
}

TEST(ResourcesTest, MissingImageIsLoggedAndReplacedByATransparentOne) {
    TempDir dir;
    wxBitmap bitmap = LoadResourceBitmap("no-such-image.png", 25, 20);
    ASSERT_TRUE(bitmap.IsOk());
    EXPECT_EQ(bitmap.GetWidth(), 25);
    EXPECT_EQ(bitmap.GetHeight(), 20);
    wxImage image = bitmap.ConvertToImage();
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.GetAlpha(12, 10), 0);
    std::vector<std::string> lines = ReadLines(dir.File("error.log"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("no-such-image.png"), std::string::npos);
}

}  // namespace
