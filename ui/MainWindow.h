// The application's document window: menus, layer check boxes, the stem
// list, the map with its zoom control, legend and status bar. It shows the
// plot session and hands it the user's commands; the session owns the open
// plot and the work on its file.
#pragma once

#include <wx/arrstr.h>
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
#include "render/PictureStyle.h"
#include "ui/LayerBoxes.h"
#include "ui/MainMenu.h"
#include "ui/PlotSession.h"
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
class InspectorPlacement;
class LayerColumn;
class LegendPanel;
class MapNavigation;
class ReadoutStatusBar;
class RecentPlots;
class TreeStatsWindow;
struct ImportRequest;
class Viewer;
class ZoomCtrl;

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
    // Opens the open file again, keeping the view, the selected trees and
    // the inspector's tree where they still exist.
    void Reload();
    void SelectStem(const wxString& stem);
    void DeselectStem(const wxString& stem);
    // x, y in picture pixels.
    void OnViewerClick(int x, int y);

    // Draws the picture again. Trees selected whose sets are not made yet
    // are made first, behind the progress window; a tree whose set could
    // not be made is tried again unless retryFailedTrees is false. When
    // another program keeps the file, the drawing waits for it to be free.
    void RedrawLayers(bool retryFailedTrees = true);
    // Moves the view as a drag of (dx, dy) picture pixels does.
    void PanView(int dx, int dy);
    // Wheel notches (positive: in) about the picture pixel x, y.
    void WheelZoom(int notches, int x, int y);
    void ClearLayerCaches() { layerCache.Clear(); }
    void ClearStemLayerCache(const wxString& stem) { layerCache.ClearStem(stem); }
    // The title names the open file.
    void UpdateTitle();

    PlotSession& GetSession() { return session; }
    // The session while a plot is open; null before the first opening
    // completes and while an opening runs.
    PlotSession* OpenSession() { return session.IsOpen() ? &session : nullptr; }
    // The export command that redraws the map as it is now; empty without a plot.
    wxString ViewCommand() const;
    // An opening, or other work on the file behind the progress window, runs.
    bool IsLoading() const { return session.IsWorking(); }
    const std::list<LayerEntry>& GetLayers() const { return layerBoxes->GetEntries(); }
    std::vector<int> GetSelectedStemRows() const { return selection->GetRows(); }
    const wxString& GetCurrentStem() const { return session.GetInspected(); }
    Viewer* GetViewer() const { return viewer; }
    wxListBox* GetStemList() const { return stemList; }
    LayerColumn* GetLayerColumn() const { return column.get(); }
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
    // Answers the choice of a value layer (message, choices): the index, or -1.
    using ChoiceAsker = std::function<int(const wxString& message, const wxArrayString& choices)>;
    void SetChoiceAsker(ChoiceAsker asker) { chooseLayer = std::move(asker); }

  private:
    wxPanel* layerPanel = nullptr;
    wxListBox* stemList = nullptr;
    Viewer* viewer = nullptr;
    wxStaticText* zoomLabel = nullptr;
    ZoomCtrl* zoomCtrl = nullptr;
    LegendPanel* legendPanel = nullptr;
    ReadoutStatusBar* readoutBar = nullptr;
    ChangeBar* changeBar = nullptr;
    InspectWindow* inspector = nullptr;
    TreeStatsWindow* statsWindow = nullptr;
    std::unique_ptr<LayerColumn> column;
    LayerBoxes* layerBoxes = nullptr;  // the column's
    std::unique_ptr<InspectorPlacement> inspectorPlacement;
    std::unique_ptr<StemSelection> selection;
    std::unique_ptr<RecentPlots> recentPlots;
    std::unique_ptr<MapNavigation> navigation;
    LayerCache layerCache;
    PlotSession session;
    // Draws again when a drawing found the file busy.
    wxTimer busyRetry;
    // Lets a finished import find out whether the window still exists.
    std::shared_ptr<int> aliveToken = std::make_shared<int>(0);
    FileChooser chooseFile;
    MessageSink showMessage;
    ChoiceAsker chooseLayer;

    SessionHooks MakeSessionHooks();
    void BuildLayout();
    wxString AskForDatabase();
    // A file dialog, or the test's chooser in its place; filterIndex, when
    // given, learns the filter the user chose in the dialog.
    wxString ChooseFile(const wxString& message, const wxString& wildcard, long style,
                        int* filterIndex = nullptr);
    void Inform(const wxString& text, const wxString& caption, long style);

    // What the map shows now, in picture pixels; needs an open plot.
    Scene CurrentScene() const;
    // How the map is drawn now: the colour settings, the desktop's text
    // size, the screen's scale factor and the plot's trees' colours.
    PictureStyle CurrentStyle() const;
    // The frame the map is drawn in, at the picture's size.
    PlotFrame MapFrame() const;
    // The plot point under a pixel of the viewer window.
    void PlotPointAt(const wxPoint& windowPixel, double& x, double& y) const;
    void SetFrameShape(const FrameShape& shape);
    void CopyViewCommand();
    void UpdateZoomDisplay();
    void OnViewChanged();
    // The legend and the pointer readout follow what the picture shows.
    void UpdateReadingAids();
    void ShowFileBusy();

    // What the session tells.
    void OnLetGo();
    void OnOpened();
    // The statistics window offers rows of the map's groups.
    void FollowGrouping();
    void OnInspected(const wxString& stem);
    void OnSelectionChanged();
    void OnComparisonChanged();
    void OnWorkNote(const wxString& note);

    void OnCheckBox(wxCommandEvent& event);
    void OnStemListSelection(wxCommandEvent& event);
    void OnMenu(wxCommandEvent& event);
    void OnUpdateNeedsPlot(wxUpdateUIEvent& event);
    void OnUpdateEndComparison(wxUpdateUIEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnReloadButton(wxCommandEvent& event);
    void OnUpdateReload(wxUpdateUIEvent& event);
    void OnBusyRetry(wxTimerEvent& event);

    void OpenDatasetCommand();
    void CompareCommand();
    void SaveImageCommand();
    void ExportGridCommand();
    void SelectNoneCommand();
    void DeleteIndexesCommand();
    void PreferencesCommand();
    void ShowInspectorCommand();
    void ImportTextCommand(ImportRequest request);
    void AboutCommand();

    wxDECLARE_EVENT_TABLE();
};
