#include "app/VizApp.h"

#include <wx/image.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/CommandLine.h"
#include "db/Database.h"
#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "ui/MainWindow.h"

namespace {

const char* const kPlatform = "Linux";
#ifdef NDEBUG
const char* const kBuild = "Release";
#else
const char* const kBuild = "Debug";
#endif

// Lines that open and close a run go to the console file first, then to the
// error and run files together.
void LogRunBoundary(const char* message) {
    Log(LOG_CONSOLE, "%s", message);
    Log(LOG_ERROR | LOG_RUN, "%s", message);
}

}  // namespace

MainWindow* StartQuenvar(const wxString& startFile, bool askForFile, const PictureRequest& start) {
    // One settings object for the whole process; a second start in the same
    // process (tests) keeps the first.
    if (!colorSettings) {
        colorSettings = new ColorSettings;
    }
    ApplyPaletteOption(start.palette, *colorSettings);
    ApplyRangeOptions(start, *colorSettings);
    LogInit(LOG_RUN);
    Log(LOG_CONSOLE, "Quenvar Application Starting. Version %s (%s) %s", kQuenvarVersion, kPlatform,
        kBuild);
    Log(LOG_ERROR | LOG_RUN, "Quenvar Application Starting. Version %s (%s) %s", kQuenvarVersion,
        kPlatform, kBuild);
    {
        // Opening creates the file and its catalogue tables where missing; the
        // handle serves nothing else, so it is closed again at once.
        Database startupDatabase("small-set.db");
        Log(LOG_CONSOLE, "Database version: %f", startupDatabase.GetVersion());
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    MainWindow* mainWindow = new MainWindow(startFile, askForFile);
    for (const LayerDef& layer : LayerCatalogue()) {
        mainWindow->AddLayer(layer.flag, layer.label, layer.group, layer.position, layer.weight);
    }
    mainWindow->ApplyStartOptions(start);
    LogRunBoundary("Quenvar Application Started.");
    return mainWindow;
}

void EndQuenvar() {
    LogRunBoundary("Session ended.");
}

bool VizApp::OnInit() {
    // main() has answered every other command line already; what reaches here
    // after the toolkit took its own options must still be a window's.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Utf8(argv[i]));
    }
    const CommandLine line = ParseCommandLine(args);
    if (line.mode != CommandMode::Window) {
        fprintf(stderr, "quenvar: %s\n",
                line.mode == CommandMode::Error ? line.error.c_str() : "unexpected options");
        usageError = true;
        return true;
    }
    mainWindow =
        StartQuenvar(wxString::FromUTF8(line.startFile.c_str()), true, line.request.picture);
    return true;
}

int VizApp::OnRun() {
    // A malformed command line ends the run before any window exists.
    return usageError ? 2 : wxApp::OnRun();
}

int VizApp::OnExit() {
    if (mainWindow) {
        EndQuenvar();
    }
    return wxApp::OnExit();
}
