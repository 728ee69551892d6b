#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "MainWindowSupport.h"
#include "TestPlot.h"
#include "TestSupport.h"
#include "cli/CommandLine.h"
#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "render/Legend.h"
#include "render/RenderHelper.h"
#include "ui/InspectWindow.h"
#include "ui/LegendPanel.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

namespace {

bool HasOpenProgressWindow(wxWindow* parent) {
    return ShownProgressWindow(parent) != nullptr;
}

void SendMouse(wxWindow* window, wxEventType type, int x, int y, bool leftDown) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.SetLeftDown(leftDown);
    event.SetEventObject(window);
    event.SetId(window->GetId());
    window->GetEventHandler()->ProcessEvent(event);
}

void SendCommand(wxWindow* window, wxEventType type, int id, int value, long extra = 0) {
    wxCommandEvent event(type, id);
    event.SetEventObject(window);
    event.SetInt(value);
    event.SetExtraLong(extra);
    window->GetEventHandler()->ProcessEvent(event);
}

// The run log without the size and move lines, which the window system adds at its own pace.
std::vector<std::string> ActionMessages() {
    std::vector<std::string> messages;
    for (const std::string& message : RunMessages()) {
        if (message.rfind("Window ", 0) != 0) {
            messages.push_back(message);
        }
    }
    return messages;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

wxColour PixelAt(const wxBitmap& bitmap, int x, int y) {
    const wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

class MainWindowTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    std::vector<wxString> messages;
    std::vector<wxString> captions;
    wxString chosenFile;

    void SetUp() override {
        window = NewTestWindow();
        window->SetMessageSink([this](const wxString& text, const wxString& caption, long) {
            messages.push_back(text);
            captions.push_back(caption);
        });
        window->SetFileChooser(
            [this](const wxString&, const wxString&, long) { return chosenFile; });
        PumpPending();
    }

    void TearDown() override {
        window->Destroy();
        wxTheApp->ProcessIdle();
    }

    void Open(const std::string& file) {
        window->OpenDatabase(wxString::FromUTF8(file));
        ASSERT_TRUE(PumpUntil([this] {
            return !window->IsLoading() && !HasOpenProgressWindow(window);
        })) << "the progress window did not close";
    }

    void OpenPlot() {
        MakeTreePlot("plot.db");
        Open("plot.db");
        ASSERT_NE(window->OpenSession(), nullptr);
    }

    void ToggleLayer(const char* label, bool on) { ::ToggleLayer(window, label, on); }

    void Menu(int id) { SendCommand(window, wxEVT_MENU, id, 0); }

    // Selects or deselects a row in the stem list as a user would.
    void ListClick(int row, bool select) {
        wxListBox* list = window->GetStemList();
        if (select) {
            list->SetSelection(row, true);
        } else {
            list->Deselect(row);
        }
        SendCommand(list, wxEVT_LISTBOX, list->GetId(), row, select ? 1 : 0);
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    // The viewer pixel of a plot point under the current view.
    wxPoint PixelOf(double x, double y) { return ViewerPixelOf(window, x, y); }

    void ClickViewer(wxPoint at) {
        Viewer* viewer = window->GetViewer();
        viewer->GetComposite();  // a click needs a picture, as after the first paint
        SendMouse(viewer, wxEVT_LEFT_DOWN, at.x, at.y, true);
        SendMouse(viewer, wxEVT_LEFT_UP, at.x, at.y, false);
        ASSERT_TRUE(WaitUntilIdle(window));
    }

    std::vector<wxString> Highlighted() { return window->OpenSession()->GetSelected(); }
};

TEST_F(MainWindowTest, OpensPlotBehindProgressWindowThatClosesItself) {
    MakeTreePlot("plot.db");
    window->OpenDatabase("plot.db");
    EXPECT_TRUE(window->IsLoading());
    EXPECT_TRUE(HasOpenProgressWindow(window));
    // The inspector lets go of any data set while a load runs.
    EXPECT_EQ(window->GetInspector()->GetTreeColors(), nullptr);
    ASSERT_TRUE(
        PumpUntil([this] { return !window->IsLoading() && !HasOpenProgressWindow(window); }));
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_EQ(window->GetInspector()->GetTreeColors(), window->OpenSession()->GetTreeColors());
    wxListBox* list = window->GetStemList();
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetString(0), "T1");
    EXPECT_EQ(list->GetString(2), "T3");
    EXPECT_EQ(window->GetZoomLabel()->GetLabel(), "100%");
    // No layer is checked: the picture is the (empty) overlay alone.
    EXPECT_EQ(window->GetViewer()->GetLayers().size(), 1u);
    EXPECT_TRUE(Contains(RunMessages(), "Database loaded."));
    EXPECT_TRUE(messages.empty());
    // The lookup indexes the first opening left for after the map are made.
    EXPECT_FALSE(window->OpenSession()->GetPlot().LacksLookupIndexes());
    EXPECT_EQ(
        QueryColumn("plot.db", "SELECT name FROM sqlite_master WHERE name LIKE 'TB_IDX_%'").size(),
        8u);
}

TEST_F(MainWindowTest, ToggledLayerIsDrawnOnceAndTakenFromTheCacheAfterwards) {
    OpenPlot();
    ToggleLayer("Stem Map (Plain)", true);
    const wxBitmap cached = window->CachedPlotLayer(16);
    ASSERT_TRUE(cached.IsOk());
    Viewer* viewer = window->GetViewer();
    ASSERT_EQ(viewer->GetLayers().size(), 2u);
    // The stem dot shows in the picture; a corner away from every stem stays black.
    const wxBitmap composite = viewer->GetComposite();
    const wxPoint stem = PixelOf(7.0, 3.0);
    EXPECT_NE(PixelAt(composite, stem.x, stem.y), *wxBLACK);
    EXPECT_EQ(PixelAt(composite, 1, composite.GetHeight() - 2), *wxBLACK);

    ToggleLayer("Stem Map (Plain)", false);
    EXPECT_EQ(viewer->GetLayers().size(), 1u);
    ToggleLayer("Stem Map (Plain)", true);
    ASSERT_EQ(viewer->GetLayers().size(), 2u);
    EXPECT_TRUE(viewer->GetLayers()[0].IsSameAs(cached)) << "the layer was drawn again";
    EXPECT_TRUE(window->CachedPlotLayer(16).IsSameAs(cached));
    EXPECT_EQ(PixelAt(viewer->GetComposite(), stem.x, stem.y), PixelAt(composite, stem.x, stem.y));
}

TEST_F(MainWindowTest, LayersStackByPositionWithTheOverlayOnTop) {
    OpenPlot();
    ToggleLayer("Scale", true);                           // position 13
    ToggleLayer("Total Nitrogen Uptake (blocks)", true);  // position 0
    ToggleLayer("Nitrogen Uptake (Blocks)", true);        // position 4, per selected stem
    ListClick(2, true);
    ListClick(0, true);
    window->RedrawLayers();  // now every layer comes from the caches
    const std::vector<wxBitmap>& stack = window->GetViewer()->GetLayers();
    ASSERT_EQ(stack.size(), 5u);
    EXPECT_TRUE(stack[0].IsSameAs(window->CachedPlotLayer(1)));
    EXPECT_TRUE(stack[1].IsSameAs(window->CachedStemLayer("T3", 1)));
    EXPECT_TRUE(stack[2].IsSameAs(window->CachedStemLayer("T1", 1)));
    EXPECT_TRUE(stack[3].IsSameAs(window->CachedPlotLayer(256)));
    EXPECT_FALSE(window->CachedPlotLayer(2048).IsOk()) << "the overlay is never cached";
    // Only that stem's entries go when its colour changes.
    window->ClearStemLayerCache("T3");
    EXPECT_FALSE(window->CachedStemLayer("T3", 1).IsOk());
    EXPECT_TRUE(window->CachedStemLayer("T1", 1).IsOk());
    window->ClearLayerCaches();
    EXPECT_FALSE(window->CachedStemLayer("T1", 1).IsOk());
    EXPECT_FALSE(window->CachedPlotLayer(256).IsOk());
}

TEST_F(MainWindowTest, ClickOnStemSelectsItsRowHighlightsItAndFillsTheInspector) {
    OpenPlot();
    ClickViewer(PixelOf(7.0, 3.0));
    wxListBox* list = window->GetStemList();
    EXPECT_TRUE(list->IsSelected(1));
    EXPECT_FALSE(list->IsSelected(0));
    EXPECT_EQ(window->GetSelectedStemRows(), std::vector<int>{1});
    EXPECT_EQ(Highlighted(), std::vector<wxString>{"T2"});
    EXPECT_EQ(window->GetCurrentStem(), "T2");
    InspectWindow* inspector = window->GetInspector();
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "Stem: T2");
    EXPECT_EQ(inspector->GetLabelsText()->GetLabel(), "Stem ID\ndbh\nCrown_d_m\nheight\n");
    EXPECT_EQ(inspector->GetValuesText()->GetLabel(), "T2\n0.500000\n6.000000\n20.000000\n");
    const std::vector<std::string> log = RunMessages();
    EXPECT_FALSE(Contains(log, "Stems list control selection modified."))
        << "selecting the row must not raise a list event";
    // A second click on the same stem records its row once, so its own
    // layers are drawn once.
    ToggleLayer("Nitrogen Uptake (Blocks)", true);
    ClickViewer(PixelOf(7.0, 3.0));
    EXPECT_EQ(window->GetSelectedStemRows(), std::vector<int>{1});
    EXPECT_EQ(Highlighted().size(), 1u);
    EXPECT_EQ(window->GetViewer()->GetLayers().size(), 2u);
    // Deselecting the row then leaves nothing of the tree behind.
    ListClick(1, false);
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_EQ(window->GetViewer()->GetLayers().size(), 1u);
}

TEST_F(MainWindowTest, ListDeselectionClearsTheInspectorOfTheCurrentStem) {
    OpenPlot();
    ToggleLayer("Nitrogen Uptake (Blocks)", true);
    ListClick(0, true);
    ListClick(2, true);
    EXPECT_EQ(window->GetSelectedStemRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(window->GetViewer()->GetLayers().size(), 3u);
    EXPECT_EQ(window->GetCurrentStem(), "T3");

    ListClick(0, false);  // not the current stem: the inspector stays
    EXPECT_EQ(window->GetSelectedStemRows(), std::vector<int>{2});
    EXPECT_EQ(window->GetInspector()->GetStemLabel()->GetLabel(), "Stem: T3");
    EXPECT_EQ(window->GetViewer()->GetLayers().size(), 2u);

    ListClick(2, false);
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_TRUE(window->GetCurrentStem().empty());
    EXPECT_TRUE(Highlighted().empty());
    InspectWindow* inspector = window->GetInspector();
    EXPECT_EQ(inspector->GetStemLabel()->GetLabel(), "No stem selected.");
    EXPECT_TRUE(inspector->GetNoInfoText()->IsShown());
    const std::vector<std::string> log = RunMessages();
    EXPECT_TRUE(Contains(log, "Stem deselected: T1"));
    EXPECT_TRUE(Contains(log, "Stem deselected: T3"));
}

TEST_F(MainWindowTest, SelectNoneEmptiesTheOverlayButKeepsTheInspector) {
    OpenPlot();
    ListClick(0, true);
    // T4 has no row: it is inspected and highlighted, but no row is recorded.
    ClickViewer(PixelOf(8.8, 8.8));
    EXPECT_EQ(window->GetCurrentStem(), "T4");
    EXPECT_EQ(window->GetSelectedStemRows(), std::vector<int>{0});
    ASSERT_EQ(Highlighted(), (std::vector<wxString>{"T1", "T4"}));
    Menu(ID_SELECT_NONE);
    EXPECT_TRUE(Highlighted().empty());
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_FALSE(window->GetStemList()->IsSelected(0));
    EXPECT_EQ(window->GetInspector()->GetStemLabel()->GetLabel(), "Stem: T4");
    // With no layer checked the picture is the overlay alone, now empty: all black.
    const wxBitmap composite = window->GetViewer()->GetComposite();
    for (wxPoint stem : {PixelOf(2.0, 2.0), PixelOf(8.8, 8.8)}) {
        EXPECT_EQ(PixelAt(composite, stem.x, stem.y), *wxBLACK);
    }
}

TEST_F(MainWindowTest, ThreeZoomInClicksGiveAQuarterViewAroundTheSameCentre) {
    OpenPlot();
    ZoomCtrl* zoom = window->GetZoomCtrl();
    const int right = zoom->GetClientSize().x - 1;
    for (int i = 0; i < 3; ++i) {
        SendMouse(zoom, wxEVT_LEFT_DOWN, right, 10, true);
        SendMouse(zoom, wxEVT_LEFT_UP, right, 10, false);
        PumpPending();
    }
    // At the last level the button queues nothing more.
    SendMouse(zoom, wxEVT_LEFT_UP, right, 10, false);
    PumpPending();
    EXPECT_EQ(zoom->GetValue(), 4u);
    const PlotRect& view = window->OpenSession()->GetView();
    EXPECT_DOUBLE_EQ(view.xMin, 3.375);
    EXPECT_DOUBLE_EQ(view.xMax, 5.625);
    EXPECT_DOUBLE_EQ(view.yMin, 3.375);
    EXPECT_DOUBLE_EQ(view.yMax, 5.625);
    EXPECT_EQ(window->GetZoomLabel()->GetLabel(), "400%");
    const std::vector<std::string> log = RunMessages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "View zoomed in."), 3);
}

TEST_F(MainWindowTest, DragPansByTheRealViewSpan) {
    OpenPlot();
    PlotSession* helper = window->OpenSession();
    helper->SetView(PlotRect{0.0, 0.0, 60.7, 40.0});
    window->RedrawLayers();
    Viewer* viewer = window->GetViewer();
    viewer->GetComposite();
    const wxSize size = viewer->GetClientSize();
    SendMouse(viewer, wxEVT_LEFT_DOWN, 100, 100, true);
    SendMouse(viewer, wxEVT_MOTION, 130, 88, true);
    EXPECT_EQ(viewer->GetDragOffset(), wxPoint(30, -12));
    SendMouse(viewer, wxEVT_LEFT_UP, 130, 88, false);
    const PlotRect& view = helper->GetView();
    // 60.7 units, not 60, spread over the viewer's pixels (single precision per pixel).
    EXPECT_NEAR(view.xMin, -30 * 60.7 / size.x, 1e-5);
    EXPECT_NEAR(view.xMax, 60.7 - 30 * 60.7 / size.x, 1e-5);
    EXPECT_NEAR(view.yMin, 12 * 40.0 / size.y, 1e-5);
    EXPECT_NEAR(view.yMax, 40.0 + 12 * 40.0 / size.y, 1e-5);
    EXPECT_EQ(viewer->GetDragOffset(), wxPoint(0, 0));
    EXPECT_TRUE(Contains(RunMessages(), "View moved: (30, -12)"));

    // A drag that leaves the viewer snaps back without panning.
    const PlotRect before = view;
    SendMouse(viewer, wxEVT_LEFT_DOWN, 100, 100, true);
    SendMouse(viewer, wxEVT_MOTION, 150, 120, true);
    SendMouse(viewer, wxEVT_LEAVE_WINDOW, 150, 120, true);
    EXPECT_EQ(viewer->GetDragOffset(), wxPoint(0, 0));
    EXPECT_FALSE(viewer->IsDragging());
    SendMouse(viewer, wxEVT_LEFT_UP, 150, 120, false);  // back in: a click, not a pan
    EXPECT_DOUBLE_EQ(helper->GetView().xMin, before.xMin);

    // A double click moves the clicked point to the middle; on the middle
    // itself it pans by nothing but still draws the layers again.
    const wxSize composite = viewer->GetComposite().GetSize();
    SendMouse(viewer, wxEVT_LEFT_DCLICK, composite.x / 2 - 10, composite.y / 2 + 4, true);
    EXPECT_TRUE(Contains(RunMessages(), "View moved: (10, -4)"));
    ToggleLayer("Stem Map (Plain)", true);
    viewer->GetComposite();
    const wxBitmap drawn = window->CachedPlotLayer(16);
    SendMouse(viewer, wxEVT_LEFT_DCLICK, composite.x / 2, composite.y / 2, true);
    EXPECT_TRUE(Contains(RunMessages(), "View moved: (0, 0)"));
    ASSERT_TRUE(window->CachedPlotLayer(16).IsOk());
    EXPECT_FALSE(window->CachedPlotLayer(16).IsSameAs(drawn));
}

TEST_F(MainWindowTest, SaveCurrentImageWritesTheComposite) {
    OpenPlot();
    ToggleLayer("Stem Map (Plain)", true);
    chosenFile = dir.File("picture.png");
    Menu(ID_SAVE_IMAGE);
    wxImage saved;
    ASSERT_TRUE(saved.LoadFile(chosenFile, wxBITMAP_TYPE_PNG));
    const wxImage composite = window->GetViewer()->GetComposite().ConvertToImage();
    ASSERT_EQ(saved.GetSize(), window->GetViewer()->GetClientSize());
    ASSERT_EQ(saved.GetSize(), composite.GetSize());
    EXPECT_EQ(0, memcmp(saved.GetData(), composite.GetData(),
                        size_t(saved.GetWidth()) * saved.GetHeight() * 3));
    const wxPoint stem = PixelOf(2.0, 2.0);
    EXPECT_NE(wxColour(saved.GetRed(stem.x, stem.y), saved.GetGreen(stem.x, stem.y),
                       saved.GetBlue(stem.x, stem.y)),
              *wxBLACK);
    // A cancelled dialog writes nothing, but the command is logged all the same.
    chosenFile.clear();
    Menu(ID_SAVE_IMAGE);
    const std::vector<std::string> log = RunMessages();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Image saved."), 2);
    EXPECT_TRUE(messages.empty());
    // A path that cannot be written is reported, not passed over.
    chosenFile = dir.File("no-such-folder/picture.png");
    Menu(ID_SAVE_IMAGE);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].Find("no-such-folder/picture.png"), wxNOT_FOUND);
}

TEST_F(MainWindowTest, SessionWritesItsActionsToTheRunLog) {
    OpenPlot();
    ToggleLayer("Stem Map (Plain)", true);
    const wxPoint stem = PixelOf(7.0, 3.0);
    ClickViewer(stem);
    ListClick(1, false);
    ZoomEvent zoomIn;
    zoomIn.SetZoomType(ZoomEvent::ZOOM_IN);
    window->GetZoomCtrl()->GetEventHandler()->ProcessEvent(zoomIn);
    ZoomEvent zoomOut;
    zoomOut.SetZoomType(ZoomEvent::ZOOM_OUT);
    window->GetZoomCtrl()->GetEventHandler()->ProcessEvent(zoomOut);
    Menu(ID_SHOW_INSPECTOR);
    chosenFile.clear();
    Menu(ID_OPEN_DATASET);
    Menu(ID_SAVE_IMAGE);
    ToggleLayer("Stem Map (Plain)", false);
    window->SetSize(720, 530);
    window->Move(30, 40);

    const std::vector<std::string> expected = {
        "Database loaded.",
        "Layer selected: Stem Map (Plain)",
        wxString::Format("Viewer clicked. (%d, %d)", stem.x, stem.y).ToStdString(),
        "Stem selected: T2",
        "Stems list control selection modified.",
        "Stem deselected: T2",
        "View zoomed in.",
        "View zoomed out.",
        "Inspect window toggled.",
        "File loaded.",
        "Image saved.",
        "Layer deselected: Stem Map (Plain)",
    };
    EXPECT_EQ(ActionMessages(), expected);
    EXPECT_TRUE(window->GetInspector()->IsShown());  // Show Inspector never hides it
    EXPECT_TRUE(PumpUntil([] {
        const std::vector<std::string> log = RunMessages();
        return Contains(log, "Window resized. Is now (720, 530)") &&
               Contains(log, "Window moved. Now at (30, 40)");
    }));
}

TEST_F(MainWindowTest, WithoutADataSetCommandsDoNothing) {
    ToggleLayer("Stem Map (Plain)", true);
    EXPECT_TRUE(window->GetViewer()->GetLayers().empty());
    Viewer* viewer = window->GetViewer();
    SendMouse(viewer, wxEVT_LEFT_DOWN, 20, 20, true);
    SendMouse(viewer, wxEVT_MOTION, 40, 30, true);
    SendMouse(viewer, wxEVT_LEFT_UP, 40, 30, false);
    SendMouse(viewer, wxEVT_LEFT_DOWN, 20, 20, true);
    SendMouse(viewer, wxEVT_LEFT_UP, 20, 20, false);
    SendMouse(viewer, wxEVT_LEFT_DCLICK, 20, 20, true);
    ZoomEvent zoomIn;
    zoomIn.SetZoomType(ZoomEvent::ZOOM_IN);
    window->GetZoomCtrl()->GetEventHandler()->ProcessEvent(zoomIn);
    Menu(ID_SELECT_NONE);
    Menu(ID_DELETE_INDEXES);
    window->SelectStem("T1");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->GetZoomLabel()->GetLabel(), "?%");
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_EQ(ActionMessages(), std::vector<std::string>{"Layer selected: Stem Map (Plain)"});
}

TEST_F(MainWindowTest, FileWithoutPlotDataIsRefusedByNameAndLeftUnchanged) {
    OpenPlot();
    WriteFile("notes.db", "these are not the plot data you are looking for\n");
    ExecSql("other.db", "CREATE TABLE people (name TEXT); INSERT INTO people VALUES ('x');");
    for (const char* file : {"notes.db", "other.db"}) {
        SCOPED_TRACE(file);
        messages.clear();
        const std::string before = ReadFile(file);
        Open(file);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].Find(file), wxNOT_FOUND) << messages[0];
        EXPECT_EQ(window->OpenSession(), nullptr);
        EXPECT_EQ(window->GetInspector()->GetTreeColors(), nullptr);
        EXPECT_EQ(window->GetStemList()->GetCount(), 0u);
        EXPECT_EQ(ReadFile(file), before);
    }
    // A missing file is refused too, and not created.
    messages.clear();
    Open("missing.db");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(wxFileExists("missing.db"));
    // The window behaves as without data.
    ToggleLayer("Stem Map (Plain)", true);
    EXPECT_TRUE(window->GetViewer()->GetLayers().empty());
}

// The message about a refused file comes over the window as it now is,
// without data, not over the previous plot behind a progress window.
TEST_F(MainWindowTest, RefusedFileIsReportedOverTheResetWindow) {
    OpenPlot();
    ToggleLayer("Stem Map (Plain)", true);
    ListClick(0, true);
    struct Seen {
        bool progressShown;
        unsigned stems;
        size_t layers;
        std::string zoom;
    };
    std::vector<Seen> seen;
    window->SetMessageSink([this, &seen](const wxString&, const wxString&, long) {
        seen.push_back({HasOpenProgressWindow(window), window->GetStemList()->GetCount(),
                        window->GetViewer()->GetLayers().size(),
                        window->GetZoomLabel()->GetLabelText().ToStdString()});
    });
    WriteFile("notes.db", "not a plot\n");
    Open("notes.db");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].progressShown);
    EXPECT_EQ(seen[0].stems, 0u);
    EXPECT_EQ(seen[0].layers, 0u);
    EXPECT_EQ(seen[0].zoom, "?%");
    EXPECT_EQ(window->GetZoomLabel()->GetLabelText(), "?%");
}

// The start options belong to the start file: refused, it takes them with it,
// and the next file opens whole with nothing selected.
TEST_F(MainWindowTest, StartOptionsGoWithARefusedStartFile) {
    PictureRequest start;
    start.stems = {"T1"};
    start.view = PlotRect{1, 1, 2, 2};
    window->ApplyStartOptions(start);
    WriteFile("notes.db", "not a plot\n");
    Open("notes.db");
    ASSERT_EQ(window->OpenSession(), nullptr);
    OpenPlot();
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_TRUE(Highlighted().empty());
    const PlotRect& view = window->OpenSession()->GetView();
    const PlotRect& full = window->OpenSession()->GetFullExtent();
    EXPECT_EQ(ViewArgument(view.xMin, view.yMin, view.xMax, view.yMax),
              ViewArgument(full.xMin, full.yMin, full.xMax, full.yMax));
}

TEST_F(MainWindowTest, FileWhoseIndexTablesCannotBeBuiltSaysWhyAndKeepsWhatLoaded) {
    MakeTreePlot("plot.db");
    // Even root cannot write an immutable file; without that right, skip.
    if (system("chattr +i plot.db 2>/dev/null") != 0) {
        GTEST_SKIP() << "cannot make a file read-only here";
    }
    struct Writable {
        ~Writable() { (void)system("chattr -i plot.db"); }
    } writableAgain;
    const std::string before = ReadFile("plot.db");
    Open("plot.db");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].Find("plot.db"), wxNOT_FOUND) << messages[0];
    EXPECT_NE(messages[0].Find("cannot be written"), wxNOT_FOUND) << messages[0];
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_EQ(window->GetStemList()->GetCount(), 3u);
    EXPECT_EQ(ReadFile("plot.db"), before);
}

TEST_F(MainWindowTest, OpeningWaitsForAnotherProgramsLockBehindAPulsingProgressWindow) {
    using namespace std::chrono;
    MakeTreePlot("plot.db");
    // Another program keeps even readers out for a moment.
    LockHolder writer("plot.db", "BEGIN EXCLUSIVE", 1500ms);
    window->OpenDatabase("plot.db");
    const auto start = steady_clock::now();
    // The window goes on handling events while the worker waits.
    PumpUntil([&start] { return steady_clock::now() - start > 700ms; });
    EXPECT_TRUE(window->IsLoading());
    ProgressWindow* progress = ShownProgressWindow(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsRunning());
    EXPECT_TRUE(progress->IsPulsing());

    ASSERT_TRUE(
        PumpUntil([this] { return !window->IsLoading() && !HasOpenProgressWindow(window); }));
    EXPECT_TRUE(messages.empty()) << messages[0];
    ASSERT_NE(window->OpenSession(), nullptr);
    EXPECT_EQ(window->OpenSession()->GetPlot().GetOpening().status, PlotOpening::Status::Accepted);
}

TEST_F(MainWindowTest, ClickWithoutAnyStemSelectsNothing) {
    ExecSql("grid.db",
            "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, A double);"
            "INSERT INTO grid VALUES (1, 0.0, 0.0, 1.0), (2, 1.0, 0.0, 2.0), (3, 0.0, 1.0, 3.0);");
    Open("grid.db");
    ASSERT_NE(window->OpenSession(), nullptr);
    ClickViewer(wxPoint(10, 10));
    EXPECT_TRUE(window->GetCurrentStem().empty());
    EXPECT_TRUE(window->GetSelectedStemRows().empty());
    EXPECT_TRUE(Highlighted().empty());
    EXPECT_FALSE(Contains(RunMessages(), "Stem selected: none"));
}

// Layers registered by hand, to see every placement rule at once.
TEST_F(MainWindowTest, AddLayerOrdersTheLayerListByPosition) {
    MainWindow* bare = new MainWindow(wxEmptyString, false);
    bare->AddLayer(1, "five", LayerGroup::Plot, 5, 255);
    bare->AddLayer(2, "back", LayerGroup::Plot, -1, 255);
    bare->AddLayer(4, "three", LayerGroup::Plot, 3, 255);
    bare->AddLayer(8, "front", LayerGroup::Tree, 0, 255);
    bare->AddLayer(16, "another five", LayerGroup::Tree, 5, 150);
    bare->AddLayer(32, "nine", LayerGroup::Plot, 9, 255);
    bare->AddLayer(64, "new front", LayerGroup::Plot, 0, 255);
    std::vector<std::string> order;
    for (const LayerEntry& entry : bare->GetLayers()) {
        order.push_back(entry.checkBox->GetLabel().ToStdString());
    }
    // "nine" finds "back" (position -1 is less than 9) and nothing at or beyond 9: the end.
    EXPECT_EQ(order, (std::vector<std::string>{"new front", "front", "three", "another five",
                                               "five", "back", "nine"}));
    bare->Destroy();
    wxTheApp->ProcessIdle();
}

}  // namespace

TEST_F(MainWindowTest, StatusBarReadsThePointerAndTheLegendFollowsTheLayers) {
    OpenPlot();
    ToggleLayer("Total Nitrogen Uptake (blocks)", true);
    ListClick(1, true);  // T2, whose stem stands at (7, 3)
    // The centre of cell (7, 2), where T2 alone takes up 3.
    const wxPoint at = PixelOf(7.5, 2.5);
    SendMouse(window->GetViewer(), wxEVT_MOTION, at.x, at.y, false);
    ReadoutStatusBar* bar = window->GetReadoutBar();
    EXPECT_EQ(bar->GetStatusText(1), "cell 7 2: uptake 3, 1 tree");
    EXPECT_EQ(bar->GetStatusText(2), "T2 3");
    EXPECT_TRUE(bar->GetStatusText(3).StartsWith("nearest T2 at 0.7")) << bar->GetStatusText(3);
    SendMouse(window->GetViewer(), wxEVT_LEAVE_WINDOW, at.x, at.y, false);
    EXPECT_EQ(bar->GetStatusText(1), "");

    const std::vector<LegendSection>& legend = window->GetLegendPanel()->GetSections();
    ASSERT_EQ(legend.size(), 1u);
    EXPECT_EQ(legend[0].title, "Total Nitrogen Uptake (blocks)");
    EXPECT_EQ(legend[0].entries.size(), 5u);
    ToggleLayer("Nitrogen Uptake (Isoline)", true);
    EXPECT_EQ(window->GetLegendPanel()->GetSections().size(), 2u);
    EXPECT_EQ(window->GetLegendPanel()->GetSections()[1].title, "T2: Nitrogen Uptake (Isoline)");
}
