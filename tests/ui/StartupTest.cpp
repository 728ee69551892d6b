#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include <algorithm>
#include <filesystem>

#include "TestSupport.h"
#include "app/VizApp.h"
#include "cli/CommandLine.h"
#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "render/RenderHelper.h"
#include "ui/LegendPanel.h"
#include "ui/MainWindow.h"
#include "ui/Viewer.h"

namespace {

// The messages of one log file, without time stamps; each line must carry the tag.
std::vector<std::string> Messages(const std::string& file, const std::string& tag) {
    std::vector<std::string> messages;
    for (const std::string& line : ReadLines(file)) {
        const size_t at = line.find(tag + " ");
        EXPECT_EQ(at, 22u) << file << ": " << line;  // "[YYYY-mm-dd HH:MM:SS] " comes first
        if (at != std::string::npos) {
            messages.push_back(line.substr(at + tag.size() + 1));
        }
    }
    return messages;
}

// Images missing beside a test program are reported in the error log; they
// are not what these tests are about.
std::vector<std::string> WithoutImageLines(const std::vector<std::string>& messages) {
    std::vector<std::string> kept;
    for (const std::string& message : messages) {
        if (message.rfind("Cannot load the image", 0) != 0) {
            kept.push_back(message);
        }
    }
    return kept;
}

std::vector<std::string> WithoutWindowLines(const std::vector<std::string>& messages) {
    std::vector<std::string> kept;
    for (const std::string& message : messages) {
        if (message.rfind("Window ", 0) != 0) {
            kept.push_back(message);
        }
    }
    return kept;
}

#ifdef NDEBUG
const std::string kBanner = "Quenvar Application Starting. Version 0.27 (Linux) Release";
#else
const std::string kBanner = "Quenvar Application Starting. Version 0.27 (Linux) Debug";
#endif

TEST(Startup, InAnEmptyFolderMakesTheStartupDatabaseAndWritesTheBanner) {
    TempDir dir;
    // Earlier runs: the run log is emptied, the other two keep their lines.
    WriteFile("run.log", "old run line\n");
    WriteFile("error.log", "[2020-01-01 00:00:00] (error) old error\n");
    WriteFile("console.log", "[2020-01-01 00:00:00] (console) old console\n");

    MainWindow* window = StartQuenvar(wxEmptyString, false);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(colorSettings, nullptr);
    EXPECT_NE(wxImage::FindHandler(wxBITMAP_TYPE_PNG), nullptr);
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(window->GetLayers().size(), LayerCatalogue().size());

    EXPECT_EQ(QueryColumn("small-set.db", "SELECT db_version FROM _db_info"),
              std::vector<std::string>{"0.1"});
    EXPECT_EQ(QueryColumn("small-set.db",
                          "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              (std::vector<std::string>{"_db_aggregations", "_db_indexes", "_db_info"}));

    EXPECT_EQ(WithoutImageLines(Messages("console.log", "(console)")),
              (std::vector<std::string>{"old console", kBanner, "Database version: 0.100000",
                                        "Quenvar Application Started."}));
    // A new file's catalogue tables are looked for before they are made, and
    // each look leaves its line.
    EXPECT_EQ(WithoutImageLines(Messages("error.log", "(error)")),
              (std::vector<std::string>{
                  "old error", kBanner,
                  "Problem compiling SQL statement: SELECT * FROM _db_info (1: no such table: "
                  "_db_info)",
                  "Problem compiling SQL statement: SELECT * FROM _db_aggregations (1: no such "
                  "table: _db_aggregations)",
                  "Problem compiling SQL statement: SELECT * FROM _db_indexes (1: no such table: "
                  "_db_indexes)",
                  "Quenvar Application Started."}));
    EXPECT_EQ(WithoutImageLines(WithoutWindowLines(Messages("run.log", "(run)"))),
              (std::vector<std::string>{kBanner, "Quenvar Application Started."}));

    window->Destroy();
    wxTheApp->ProcessIdle();
    EndQuenvar();
    EXPECT_EQ(Messages("console.log", "(console)").back(), "Session ended.");
    EXPECT_EQ(Messages("error.log", "(error)").back(), "Session ended.");
    EXPECT_EQ(Messages("run.log", "(run)").back(), "Session ended.");
}

TEST(Startup, CatalogueLayersStackInPositionOrderAndStartUnchecked) {
    TempDir dir;
    MainWindow* window = StartQuenvar(wxEmptyString, false);
    std::vector<std::string> order;
    for (const LayerEntry& entry : window->GetLayers()) {
        order.push_back(entry.checkBox->GetLabel().ToStdString());
        EXPECT_FALSE(entry.checkBox->GetValue());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Total Nitrogen Uptake (blocks)",
                                               "Dominant Tree (blocks)",
                                               "Dominant Tree by Share (blocks)",
                                               "Change of Total Uptake (blocks)",
                                               "Dominant Group (blocks)",
                                               "Dominant Group by Share (blocks)",
                                               "# of Trees Drawing (blocks)",
                                               "Change of # of Trees (blocks)",
                                               "Total Nitrogen Uptake (clouds)",
                                               "# of Trees Drawing (clouds)",
                                               "Group Uptake (Blocks)",
                                               "Nitrogen Uptake (Blocks)",
                                               "Change of Uptake (Blocks)",
                                               "Group Uptake (Cloud)",
                                               "Nitrogen Uptake (Cloud)",
                                               "Group Uptake (Isoline)",
                                               "Nitrogen Uptake (Isoline)",
                                               "Change of Uptake (Isoline)",
                                               "Stem Map (Plain)",
                                               "Stem Map (Crown)",
                                               "Stem Map (DBH)",
                                               "Total Nitrogen Uptake (isoline)",
                                               "Change of Total Uptake (isoline)",
                                               "# of Tree Drawing (isoline)",
                                               "Change of # of Trees (isoline)",
                                               "Stem Labels",
                                               "Scale"}));
    // Without a compared plot the change layers are not offered.
    EXPECT_TRUE(window->GetLayers().begin()->checkBox->IsShown());
    for (const LayerEntry& entry : window->GetLayers()) {
        if (entry.checkBox->GetLabel() == "Change of Total Uptake (blocks)") {
            EXPECT_FALSE(entry.checkBox->IsShown());
        }
    }
    EXPECT_EQ(window->GetZoomLabel()->GetLabel(), "?%");
    EXPECT_EQ(window->GetStemList()->GetCount(), 0u);
    wxMenuBar* menus = window->GetMenuBar();
    EXPECT_FALSE(menus->IsEnabled(ID_SELECT_ALL));
    EXPECT_EQ(menus->GetLabel(ID_SAVE_IMAGE), "&Save Current Image...\tCtrl+S");
    EXPECT_EQ(menus->GetLabel(wxID_PREFERENCES), "&Preferences...\tCtrl+,");
    window->Destroy();
    wxTheApp->ProcessIdle();
}

void MakeSmallPlot() {
    ExecSql("plot.db",
            "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, A double);"
            "INSERT INTO grid VALUES (1, 0.0, 0.0, 1.0), (2, 1.0, 0.0, 2.0), (3, 0.0, 1.0, 3.0),"
            " (4, 1.0, 1.0, 4.0);"
            "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
            "Crown_d_m double);"
            "INSERT INTO stem VALUES ('A', 0.5, 0.5, 0.2, 1.0);");
}

TEST(Startup, StartFileIsOpenedWithoutAsking) {
    TempDir dir;
    MakeSmallPlot();
    MainWindow* window = StartQuenvar("plot.db", true);
    window->SetFileChooser([](const wxString&, const wxString&, long) {
        ADD_FAILURE() << "asked for a file";
        return wxString();
    });
    // Opened, and the work on the file after the map has ended too.
    ASSERT_TRUE(
        PumpUntil([window] { return window->OpenSession() != nullptr && !window->IsLoading(); }));
    EXPECT_EQ(window->GetStemList()->GetCount(), 1u);
    window->Destroy();
    wxTheApp->ProcessIdle();
}

TEST(Startup, StartOptionsTickLayersSelectStemsAndShowTheView) {
    TempDir dir;
    MakeSmallPlot();
    const CommandLine line = ParseCommandLine(
        {"--layers", "scale,stems-dbh", "--stems", "A", "--view", "0.25,0,1,0.75", "plot.db"});
    ASSERT_EQ(line.mode, CommandMode::Window) << line.error;
    MainWindow* window = StartQuenvar("plot.db", true, line.request.picture);
    for (const LayerEntry& entry : window->GetLayers()) {
        const wxString label = entry.checkBox->GetLabel();
        EXPECT_EQ(entry.checkBox->GetValue(), label == "Scale" || label == "Stem Map (DBH)")
            << label;
    }
    // The selected tree's table is made behind the progress window.
    ASSERT_TRUE(PumpUntil(
        [window] { return !window->GetSelectedStemRows().empty() && !window->IsLoading(); }));
    EXPECT_TRUE(window->GetStemList()->IsSelected(0));
    EXPECT_EQ(window->OpenSession()->GetSelected(), std::vector<wxString>{"A"});
    const PlotRect& view = window->OpenSession()->GetView();
    EXPECT_EQ(ViewArgument(view.xMin, view.yMin, view.xMax, view.yMax), "0.25,0,1,0.75");
    EXPECT_EQ(window->GetTitle(), wxString::FromUTF8("plot.db \u2014 Quenvar"));
    const wxString command = window->ViewCommand();
    EXPECT_NE(command.Find(" --view 0.25,0,1,0.75 --layers "), wxNOT_FOUND) << command;
    EXPECT_TRUE(command.EndsWith("/plot.db")) << command;
    window->Destroy();
    wxTheApp->ProcessIdle();
}

// The trees' grouping is worked out on the worker first; the comparison
// asked for at start must still follow it.
TEST(Startup, AComparisonAskedWithAGroupingFollowsIt) {
    TempDir dir;
    MakeSmallPlot();
    std::filesystem::copy_file("plot.db", "other.db");
    const CommandLine line = ParseCommandLine({"--group-by", "Tree", "--compare", "other.db",
                                               "--layers", "dominant-group-blocks", "plot.db"});
    ASSERT_EQ(line.mode, CommandMode::Window) << line.error;
    MainWindow* window = StartQuenvar("plot.db", true, line.request.picture);
    ASSERT_TRUE(PumpUntil([window] {
        return window->OpenSession() && window->OpenSession()->GetComparison() &&
               !window->IsLoading();
    }));
    EXPECT_EQ(window->GetTitle(), wxString::FromUTF8("plot.db vs other.db — Quenvar"));
    window->Destroy();
    wxTheApp->ProcessIdle();
}

TEST(LayerCatalogue, KeysNameEveryLayerOnce) {
    for (const LayerDef& layer : LayerCatalogue()) {
        EXPECT_EQ(FindLayer(layer.key), &layer) << layer.key;
    }
    EXPECT_EQ(FindLayer("count-clouds")->flag, 1024u);
    EXPECT_EQ(FindLayer("nothing"), nullptr);
}

}  // namespace

// The first map is at least what a 750 x 550 frame without legend and
// status bar gave it, and the frame lies within the screen's work area.
TEST(Startup, FirstWindowGivesTheMapItsRoomWithinTheScreen) {
    TempDir dir;
    MainWindow* window = StartQuenvar(wxEmptyString, false);
    ASSERT_TRUE(PumpUntil([window] { return window->GetViewer()->GetClientSize().x > 0; }));
    const wxSize first = window->GetViewer()->GetClientSize();
    const wxRect area = wxDisplay(0u).GetClientArea();
    EXPECT_TRUE(area.Contains(window->GetRect()))
        << window->GetRect().x << "," << window->GetRect().y;

    window->GetLegendPanel()->Hide();
    window->GetStatusBar()->Hide();
    window->SetSize(750, 550);
    window->SendSizeEvent();
    ASSERT_TRUE(PumpUntil([window] { return window->GetSize() == wxSize(750, 550); }));
    const wxSize plain = window->GetViewer()->GetClientSize();
    EXPECT_GE(first.x, plain.x);
    EXPECT_GE(first.y, plain.y);
    window->Destroy();
    wxTheApp->ProcessIdle();
}
