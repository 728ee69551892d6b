// The application's document window: menus, layer check boxes, the stem
// list, the plot canvas with its zoom control, and the open data set.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "data/PlotRect.h"
#include "render/Composer.h"
#include "render/LayerCache.h"
#include "render/LayerTable.h"
#include "render/PictureRequest.h"
#include "render/ViewNavigator.h"
#include "ui/DatabaseLoader.h"
#include "ui/LayerBoxes.h"
#include "ui/MainMenu.h"
#include "ui/ReloadKeeper.h"
#include "ui/StemSelection.h"

class wxListBox;
class wxUpdateUIEvent;
class wxKeyEvent;
class wxMoveEvent;
class wxPanel;
class wxSizeEvent;
class wxStaticText;
class ChangeBar;
class InspectWindow;
struct JobEnd;
class LegendPanel;
class ReadoutStatusBar;
class TreeSetMaker;
class PlotFile;
class RecentPlots;
class RenderHelper;
class TreeStatsWindow;
struct ImportRequest;
class Viewer;
class ZoomCtrl;
class ZoomEvent;

class MainWindow : public wxFrame {
  public:
    // Builds and shows the window. With a start file that file is opened at
    // once; otherwise, when askForFile is set, the user is asked for one.
    explicit MainWindow(const wxString& startFile = wxString(), bool askForFile = true);
    ~MainWindow() override;

    void AddLayer(uint32_t flag, const char* label, LayerGroup group, int position, int weight);
    // The command line's choice of layers (ticked at once), and of stems and
    // view (taken when the start file has loaded). Call after AddLayer.
    void ApplyStartOptions(const PictureRequest& options);
    // Opens the file in the background; while other work on the open file
    // runs, the opening follows it.
    void OpenDatabase(const wxString& path);
    // Opens the open file again (or the one whose index tables were
    // deleted), keeping the view, the selected trees and the inspector's
    // tree where they still exist.
    void Reload();
    void SelectStem(const wxString& stem);
    void DeselectStem(const wxString& stem);
    // x, y in composite pixels.
    void OnViewerClick(int x, int y);
    void RefillStemList();

    // Draws the picture again. Trees selected whose sets are not made yet
    // are made first, behind the progress window; a tree whose set could
    // not be made is tried again unless retryFailedTrees is false. When
    // another program keeps the file, the drawing waits for it to be free.
    void RedrawLayers(bool retryFailedTrees = true);
    void PanView(int dx, int dy);
    // Wheel notches (positive: in) about the viewer pixel x, y.
    void WheelZoom(int notches, int x, int y);
    void ClearLayerCaches() { layerCache.Clear(); }
    void ClearStemLayerCache(const wxString& stem) { layerCache.ClearStem(stem); }
    // The title names the file, the map's size and its view as the export's
    // options, so that a script can draw the same picture.
    void UpdateTitle();

    // The open data set; null before the first load completes and while a load runs.
    RenderHelper* GetRenderHelper() const { return renderHelper.get(); }
    // The export command that redraws the map as it is now; empty without a plot.
    wxString ViewCommand() const;
    // An opening, or other work on the file behind the progress window, runs.
    bool IsLoading() const { return loader->IsLoading() || fileWorkRunning; }
    const std::list<LayerEntry>& GetLayers() const { return layerBoxes->GetEntries(); }
    const std::vector<int>& GetSelectedStemRows() const { return selection->GetRows(); }
    const wxString& GetCurrentStem() const { return selection->GetCurrentStem(); }
    Viewer* GetViewer() const { return viewer; }
    wxListBox* GetStemList() const { return stemList; }
    InspectWindow* GetInspector() const { return inspector; }
    TreeStatsWindow* GetStatsWindow() const { return statsWindow; }
    ZoomCtrl* GetZoomCtrl() const { return zoomCtrl; }
    wxStaticText* GetZoomLabel() const { return zoomLabel; }
    LegendPanel* GetLegendPanel() const { return legendPanel; }
    ReadoutStatusBar* GetReadoutBar() const { return readoutBar; }
    ChangeBar* GetChangeBar() const { return changeBar; }
    // The cached bitmap of a layer, invalid when there is none.
    wxBitmap CachedPlotLayer(uint32_t flag) const { return layerCache.PlotLayer(flag); }
    wxBitmap CachedStemLayer(const wxString& stem, uint32_t flag) const {
        return layerCache.StemLayer(stem, flag);
    }

    // Dialogs go through these, so that tests can answer them instead of a user.
    using FileChooser =
        std::function<wxString(const wxString& message, const wxString& wildcard, long style)>;
    using MessageSink =
        std::function<void(const wxString& text, const wxString& caption, long style)>;
    void SetFileChooser(FileChooser chooser) { chooseFile = std::move(chooser); }
    void SetMessageSink(MessageSink sink) { showMessage = std::move(sink); }

  private:
    wxPanel* layerPanel = nullptr;
    wxListBox* stemList = nullptr;
    Viewer* viewer = nullptr;
    wxStaticText* zoomLabel = nullptr;
    ZoomCtrl* zoomCtrl = nullptr;
    LegendPanel* legendPanel = nullptr;
    ReadoutStatusBar* readoutBar = nullptr;
    ChangeBar* changeBar = nullptr;
    std::unique_ptr<LayerBoxes> layerBoxes;
    LayerCache layerCache;
    ViewNavigator navigator;
    // Shared with work on the file that runs on a worker.
    std::shared_ptr<RenderHelper> renderHelper;
    wxString fileName;  // of the open data set, for the title
    // The file Reload opens: the open one, or the one whose index tables were deleted.
    wxString reloadPath;
    // What a Reload keeps of the window, when the opening it started ends.
    ReloadKeeper keeper;
    std::unique_ptr<TreeSetMaker> treeSets;
    // Work on the open file runs on a worker: the window leaves the file alone meanwhile.
    bool fileWorkRunning = false;
    bool lookupsTried = false;   // StartLookupIndexes ran for the open file
    size_t setsToldMissing = 0;  // the plot-wide sets said to lack their tables
    wxString openAfterWork;
    // Draws again when a drawing found the file busy.
    wxTimer busyRetry;
    wxString filePath;  // the same, absolute, for the view's command
    InspectWindow* inspector = nullptr;
    TreeStatsWindow* statsWindow = nullptr;
    std::unique_ptr<StemSelection> selection;
    // Start options still to be taken by the first completed load.
    PictureRequest start;
    FrameShape frameShape;  // the View menu's True Proportions and North Up
    bool startPending = false;
    std::unique_ptr<DatabaseLoader> loader;
    // Lets a finished load find out whether the window it reports to still exists.
    std::shared_ptr<int> aliveToken = std::make_shared<int>(0);
    FileChooser chooseFile;
    MessageSink showMessage;
    std::unique_ptr<RecentPlots> recentPlots;

    void BuildLayout();
    wxString AskForDatabase();
    // A file dialog, or the test's chooser in its place; filterIndex, when
    // given, learns the filter the user chose in the dialog.
    wxString ChooseFile(const wxString& message, const wxString& wildcard, long style,
                        int* filterIndex = nullptr);
    // What the map shows now; needs the open data set.
    Scene CurrentScene() const;
    // The frame the map is drawn in, at the viewer's size.
    PlotFrame ViewerFrame() const;
    void SetFrameShape(const FrameShape& shape);
    void CopyViewCommand();
    void FitFirstSize();
    void ResetView();
    void SelectStartStems();
    void Inform(const wxString& text, const wxString& caption, long style);
    void UpdateZoomDisplay();
    void ShowView(const PlotRect& view);
    void ZoomBy(int notches, double fx, double fy);
    // The legend and the pointer readout follow what the picture shows.
    void UpdateReadingAids();

    void OnDatabaseLoaded(const wxString& path, std::unique_ptr<PlotFile> plot, const JobEnd& end);
    // The window lets go of the open file: nothing of it is shown or read any more.
    void LetGoOfPlot();
    void StartOpening(const wxString& path, const std::vector<wxString>& trees);
    void KeepForReload();
    void OnTreeSetsMade(const wxString& problems);
    // Makes the lookup indexes a first opening left for later, once the map
    // is shown, as a job on the file; false when none is lacking or other
    // work on the file runs (its end starts it then).
    bool StartLookupIndexes();
    // Says that a table written after the map could not be written after
    // all, and draws its layers empty, as an opening that failed at once does.
    void TellLateIndexFailure();
    // What follows work on the file: an opening asked for meanwhile.
    bool OpenAfterWork();
    void ShowFileBusy();
    long long FileDataVersion();
    bool MayShowChangeBar();

    void OnCheckBox(wxCommandEvent& event);
    void OnStemListSelection(wxCommandEvent& event);
    void OnMenu(wxCommandEvent& event);
    void OnUpdateNeedsPlot(wxUpdateUIEvent& event);
    void OnZoom(ZoomEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnReloadButton(wxCommandEvent& event);
    void OnUpdateReload(wxUpdateUIEvent& event);
    void OnBusyRetry(wxTimerEvent& event);

    void OpenDatasetCommand();
    void SaveImageCommand();
    void SelectNoneCommand();
    void DeleteIndexesCommand();
    void OnIndexTablesDeleted(const wxString& name, bool dropped, const JobEnd& end);
    void PreferencesCommand();
    void ToggleInspectorCommand();
    void ZoomCommand(bool in);
    void PanCommand(int stepsX, int stepsY);
    void FullExtentCommand();
    void ImportTextCommand(ImportRequest request);
    void AboutCommand();

    wxDECLARE_EVENT_TABLE();
};
