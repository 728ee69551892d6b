// The export draws the picture that the window's "Save Current Image" writes
// for the same layers, stems, view and size.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>

#include <cstdlib>
#include <sstream>

#include "CliSupport.h"
#include "MainWindowSupport.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "render/LayerTable.h"
#include "render/RenderHelper.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

namespace {

// Every layer that draws the same pixels each time (no random dots).
const char* const kSteadyLayers =
    "uptake-blocks,count-blocks,uptake-isolines,count-isolines,stems-plain,stems-crown,"
    "stems-dbh,stem-labels,scale,tree-blocks,tree-isolines";
const char* const kCloudLayers = "uptake-clouds,count-clouds,tree-clouds";

// Ten by ten cells with three trees whose uptake falls off from their stems,
// and a fourth stem without a grid column (so without a row in the stem list).
void MakePlot(const std::string& path) {
    MakeGridTable(path, {"T1", "T2", "T3"}, 10, 10, [](int tree, int x, int y) {
        const int stems[3][2] = {{2, 2}, {7, 3}, {5, 8}};
        const int reach =
            std::max(0, 5 - std::abs(x - stems[tree][0]) - std::abs(y - stems[tree][1]));
        return reach * (tree + 1) * 0.75;
    });
    ExecSql(path,
            "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
            "Crown_d_m double, height double);"
            "INSERT INTO stem VALUES ('T1', 2.0, 2.0, 0.3, 4.0, 12.5);"
            "INSERT INTO stem VALUES ('T2', 7.0, 3.0, 0.5, 6.0, 20.0);"
            "INSERT INTO stem VALUES ('T3', 5.0, 8.0, 0.2, 3.0, 9.0);"
            "INSERT INTO stem VALUES ('T4', 9.0, 9.0, 0.1, 2.0, 5.0);");
}

std::vector<std::string> Split(const std::string& keys) {
    std::vector<std::string> parts;
    std::stringstream stream(keys);
    for (std::string key; std::getline(stream, key, ',');) {
        parts.push_back(key);
    }
    return parts;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The number of pixels in which two pictures differ; -1 when their sizes do.
long DifferentPixels(const wxImage& a, const wxImage& b) {
    if (a.GetSize() != b.GetSize()) {
        return -1;
    }
    long different = 0;
    for (int y = 0; y < a.GetHeight(); ++y) {
        for (int x = 0; x < a.GetWidth(); ++x) {
            different += PixelAt(a, x, y) != PixelAt(b, x, y);
        }
    }
    return different;
}

class ExportMatchesWindowTest : public testing::Test {
  protected:
    TempDir dir;
    MainWindow* window = nullptr;
    wxString chosenFile;

    void SetUp() override {
        window = NewTestWindow();
        window->SetMessageSink([](const wxString& text, const wxString&, long) {
            ADD_FAILURE() << text.utf8_str().data();
        });
        window->SetFileChooser(
            [this](const wxString&, const wxString&, long) { return chosenFile; });
        PumpPending();
        MakePlot("plot.db");
        window->OpenDatabase("plot.db");
        ASSERT_TRUE(
            PumpUntil([this] { return !window->IsLoading() && !ShownProgressWindow(window); }));
        ASSERT_NE(window->OpenSession(), nullptr);
    }

    void TearDown() override {
        window->Destroy();
        wxTheApp->ProcessIdle();
    }

    void Check(const std::string& key) {
        const LayerDef* layer = FindLayer(key);
        ASSERT_NE(layer, nullptr) << key;
        ToggleLayer(window, layer->label, true);
    }

    // Selects a stem's row in the list as a user's click would.
    void ClickRow(const wxString& stem) {
        wxListBox* list = window->GetStemList();
        const int row = list->FindString(stem, true);
        ASSERT_NE(row, wxNOT_FOUND) << stem;
        ClickStemRow(window, row);
    }

    void Zoom(int type) {
        ZoomEvent zoom;
        zoom.SetZoomType(type);
        window->GetZoomCtrl()->GetEventHandler()->ProcessEvent(zoom);
    }

    wxImage SaveWindowPicture() {
        chosenFile = dir.File("window.png");
        wxCommandEvent event(wxEVT_MENU, ID_SAVE_IMAGE);
        window->GetEventHandler()->ProcessEvent(event);
        return LoadPng("window.png");
    }

    // The window's current size and view as export options.
    std::vector<std::string> SizeAndView() {
        const wxSize size = window->GetViewer()->GetClientSize();
        const PlotRect& view = window->OpenSession()->GetView();
        return {"--size", std::to_string(size.x) + "x" + std::to_string(size.y), "--view",
                Number(view.xMin) + "," + Number(view.yMin) + "," + Number(view.xMax) + "," +
                    Number(view.yMax)};
    }
};

}  // namespace

TEST_F(ExportMatchesWindowTest, SteadyLayersGiveTheSavedImagePixelForPixel) {
    for (const std::string& key : Split(kSteadyLayers)) {
        Check(key);
    }
    // A view that is not the full extent, and stems in an order of their own:
    // T4 has no grid column, so it is highlighted without tree layers.
    Zoom(ZoomEvent::ZOOM_IN);
    window->PanView(37, -21);
    ClickRow("T3");
    ClickRow("T1");
    window->SelectStem("T4");
    const wxImage saved = SaveWindowPicture();
    ASSERT_TRUE(saved.IsOk());
    ASSERT_GT(LitPixels(saved), 1000);

    std::vector<std::string> args = SizeAndView();
    args.insert(args.end(), {"--layers", kSteadyLayers, "--stems", "T3,T1,T4"});
    const ProgramRun run = Export("export.png", "plot.db", args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0);
}

// The window's title gives the export options of its picture after any
// wheel zoom, key or pan.
TEST_F(ExportMatchesWindowTest, CopiedCommandGivesTheSavedImageAfterWheelAndKeys) {
    for (const std::string& key : Split(kSteadyLayers)) {
        Check(key);
    }
    ClickRow("T2");
    const wxSize size = window->GetViewer()->GetClientSize();
    window->WheelZoom(5, size.x / 3, size.y / 5);
    window->PanView(-23, 17);
    wxCommandEvent right(wxEVT_MENU, ID_PAN_RIGHT);
    window->GetEventHandler()->ProcessEvent(right);
    window->WheelZoom(-2, size.x / 2 + 7, size.y / 2);
    const wxImage saved = SaveWindowPicture();
    ASSERT_GT(LitPixels(saved), 1000);

    // quenvar --export view.png --size WxH --view V --layers L --stems T2 FILE
    std::vector<std::string> args;
    std::stringstream command(window->ViewCommand().ToStdString());
    for (std::string word; command >> word;) {
        args.push_back(word == "view.png" ? "export.png" : word);
    }
    ASSERT_EQ(args.size(), 12u) << window->ViewCommand();
    EXPECT_EQ(args[9], "--stems") << window->ViewCommand();
    const ProgramRun run = RunQuenvar({args.begin() + 1, args.end()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0);
}

// Under each class rule, and along a smooth gradient, the copied command
// draws the window's picture.
TEST_F(ExportMatchesWindowTest, CopiedCommandKeepsTheClassRulesAndTheGradient) {
    for (const char* key : {"uptake-blocks", "count-isolines", "tree-blocks", "tree-isolines"}) {
        Check(key);
    }
    ClickRow("T2");
    const std::pair<ClassRule, bool> styles[] = {
        {ClassRule::Quantile, false}, {ClassRule::Log, false}, {ClassRule::Log, true}};
    for (const auto& [rule, smooth] : styles) {
        SCOPED_TRACE(int(rule) * 2 + smooth);
        for (RangeFamily family :
             {RangeFamily::Uptake, RangeFamily::TreeCount, RangeFamily::Tree}) {
            colorSettings->SetClassRule(family, rule);
        }
        colorSettings->SetSmoothGradient(smooth);
        window->ClearLayerCaches();
        window->RedrawLayers();
        const wxImage saved = SaveWindowPicture();
        std::vector<std::string> args;
        std::stringstream command(window->ViewCommand().ToStdString());
        for (std::string word; command >> word;) {
            args.push_back(word == "view.png" ? "export.png" : word);
        }
        const ProgramRun run = RunQuenvar({args.begin() + 1, args.end()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0) << window->ViewCommand();
    }
    for (RangeFamily family : {RangeFamily::Uptake, RangeFamily::TreeCount, RangeFamily::Tree}) {
        colorSettings->SetClassRule(family, ClassRule::Equal);
    }
    colorSettings->SetSmoothGradient(false);
}

// The command under View > True Proportions and North Up, after a drag.
TEST_F(ExportMatchesWindowTest, CopiedCommandKeepsTrueProportionsAndNorthUp) {
    for (const std::string& key : Split(kSteadyLayers)) {
        Check(key);
    }
    ClickRow("T2");
    for (int id : {ID_TRUE_PROPORTIONS, ID_NORTH_UP}) {
        wxCommandEvent ticked(wxEVT_MENU, id);
        ticked.SetInt(1);
        window->GetEventHandler()->ProcessEvent(ticked);
    }
    window->PanView(-23, 17);
    const wxImage saved = SaveWindowPicture();
    std::vector<std::string> args;
    std::stringstream command(window->ViewCommand().ToStdString());
    for (std::string word; command >> word;) {
        args.push_back(word == "view.png" ? "export.png" : word);
    }
    ASSERT_EQ(args.size(), 15u) << window->ViewCommand();
    const ProgramRun run = RunQuenvar({args.begin() + 1, args.end()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0);
}

TEST_F(ExportMatchesWindowTest, EachSteadyLayerAloneAtTheFullExtent) {
    // One at a time, so that a difference names its layer.
    ClickRow("T2");
    for (const std::string& key : Split(kSteadyLayers)) {
        SCOPED_TRACE(key);
        Check(key);
        const wxImage saved = SaveWindowPicture();
        std::vector<std::string> args = SizeAndView();
        args.insert(args.end(), {"--layers", key, "--stems", "T2"});
        const ProgramRun run = Export("export.png", "plot.db", args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0);
        // Unchecked again for the next layer.
        for (const LayerEntry& entry : window->GetLayers()) {
            entry.checkBox->SetValue(false);
        }
    }
}

// Cloud dots fall where the shared random sequence puts them. From the same
// point of that sequence, the export draws the very dots the window draws,
// so every cell has the same number of dots in both.
TEST_F(ExportMatchesWindowTest, CloudsGiveTheSameDotsFromTheSameRandomSequence) {
    const unsigned seed = 2024;
    std::srand(seed);
    // In compositing order, each drawn once as it is checked; the tree's colour
    // and cloud come last, when the tree is selected.
    for (const std::string& key : Split(kCloudLayers)) {
        Check(key);
    }
    ClickRow("T2");
    const wxImage saved = SaveWindowPicture();
    ASSERT_GT(LitPixels(saved), 100);

    std::vector<std::string> args = {"--export", "export.png"};
    const std::vector<std::string> sizeAndView = SizeAndView();
    args.insert(args.end(), sizeAndView.begin(), sizeAndView.end());
    args.insert(args.end(), {"--layers", kCloudLayers, "--stems", "T2", "plot.db"});
    const CommandLine line = ParseCommandLine(args);
    ASSERT_EQ(line.mode, CommandMode::Export) << line.error;
    std::srand(seed);
    std::string error;
    std::string warning;
    ASSERT_TRUE(ExportPicture(line.request, error, warning)) << error;
    EXPECT_TRUE(warning.empty()) << warning;
    EXPECT_EQ(DifferentPixels(LoadPng("export.png"), saved), 0);
}

// A figure saved from the window shows the window's picture: its clouds are
// the very dots on the screen, not new ones.
TEST_F(ExportMatchesWindowTest, FigureSavedFromTheWindowIsItsPicture) {
    Check("uptake-clouds");
    Check("count-clouds");
    const wxImage saved = SaveWindowPicture();
    ASSERT_GT(LitPixels(saved), 100);
    chosenFile = dir.File("window.svg");
    wxCommandEvent event(wxEVT_MENU, ID_SAVE_IMAGE);
    window->GetEventHandler()->ProcessEvent(event);
    const ProgramRun raster = RunProgram(
        "rsvg-convert", {"-w", std::to_string(saved.GetWidth()), "-h",
                         std::to_string(saved.GetHeight()), "window.svg", "-o", "raster.png"});
    ASSERT_EQ(raster.exitCode, 0) << raster.err;
    EXPECT_EQ(DifferentPixels(LoadPng("raster.png"), saved), 0);
}
