// The application object: start-up, the layer catalogue, shutdown.
#pragma once

#include <wx/app.h>
#include <wx/string.h>

#include "render/PictureRequest.h"

class MainWindow;

class VizApp : public wxApp {
  public:
    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

    MainWindow* GetMainWindow() const { return mainWindow; }

  private:
    MainWindow* mainWindow = nullptr;  // owned by the toolkit
    bool usageError = false;
};

// The start-up steps of the application: colour settings in the start
// options' colour scale, logging with the banner, the start-up database
// "small-set.db", the PNG handler, the main window and its layers. The window
// opens startFile when one is given; otherwise it asks the user for a file
// when askForFile is set. The start options tick their layers, and select
// their stems and show their view once the file has loaded.
MainWindow* StartQuenvar(const wxString& startFile, bool askForFile,
                         const PictureRequest& start = PictureRequest());

// The closing log lines of a run.
void EndQuenvar();
