// The application's document window: menus, layer check boxes, the stem
// list, the plot canvas with its zoom control, and the open data set.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

class wxBoxSizer;
class wxCheckBox;
class wxListBox;
class wxMoveEvent;
class wxPanel;
class wxSizeEvent;
class wxStaticBoxSizer;
class wxStaticText;
class InspectWindow;
class LegendPanel;
class ReadoutStatusBar;
class ProgressWindow;
class RenderHelper;
class Viewer;
class ZoomCtrl;
class ZoomEvent;
struct OpenTask;

enum MainMenuId {
    ID_SAVE_IMAGE = 101,
    ID_OPEN_DATASET = 103,
    ID_IMPORT_TEXT = 104,
    ID_SHOW_INSPECTOR = 201,
    ID_DELETE_INDEXES = 301,
    ID_SELECT_ALL = 401,
    ID_SELECT_NONE = 402,
};

enum LayerGroup { PLOT_LAYER_GROUP = 1, STEM_LAYER_GROUP = 2 };

struct LayerEntry {
    int flag;
    int position;
    int group;
    int weight;  // kept as registered; compositing does not use it
    wxCheckBox* checkBox;
};

class MainWindow : public wxFrame {
  public:
    // Builds and shows the window. With a start file that file is opened at
    // once; otherwise, when askForFile is set, the user is asked for one.
    explicit MainWindow(const wxString& startFile = wxString(), bool askForFile = true);
    ~MainWindow() override;

    void AddLayer(int flag, const char* label, int group, int position, int weight);
    void OpenDatabase(const wxString& path);
    void SelectStem(const wxString& stem);
    void DeselectStem(const wxString& stem);
    // x, y in composite pixels.
    void OnViewerClick(int x, int y);
    void RefillStemList();

    void RedrawLayers();
    void PanView(int dx, int dy);
    void ClearLayerCaches();
    void ClearStemLayerCache(const wxString& stem);

    // The open data set; null before the first load completes and while a load runs.
    RenderHelper* GetRenderHelper() const { return renderHelper.get(); }
    bool IsLoading() const { return pendingLoads > 0; }
    const std::list<LayerEntry>& GetLayers() const { return layers; }
    const std::vector<int>& GetSelectedStemRows() const { return selectedStemRows; }
    const wxString& GetCurrentStem() const { return currentStem; }
    Viewer* GetViewer() const { return viewer; }
    wxListBox* GetStemList() const { return stemList; }
    InspectWindow* GetInspector() const { return inspector; }
    ZoomCtrl* GetZoomCtrl() const { return zoomCtrl; }
    wxStaticText* GetZoomLabel() const { return zoomLabel; }
    LegendPanel* GetLegendPanel() const { return legendPanel; }
    ReadoutStatusBar* GetReadoutBar() const { return readoutBar; }
    // The cached bitmap of a layer, invalid when there is none.
    wxBitmap CachedPlotLayer(uint32_t flag) const;
    wxBitmap CachedStemLayer(const wxString& stem, uint32_t flag) const;

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
    wxStaticBoxSizer* plotLayerSizer = nullptr;
    wxStaticBoxSizer* stemLayerSizer = nullptr;
    std::list<LayerEntry> layers;
    std::map<uint32_t, wxBitmap> plotLayerCache;
    std::map<wxString, std::map<uint32_t, wxBitmap>> stemLayerCache;
    wxString currentStem;
    std::vector<int> selectedStemRows;
    std::unique_ptr<RenderHelper> renderHelper;
    InspectWindow* inspector = nullptr;
    // Loads started and not yet completed; the newest one wins.
    int pendingLoads = 0;
    int loadGeneration = 0;
    // Lets a finished load find out whether the window it reports to still exists.
    std::shared_ptr<int> aliveToken = std::make_shared<int>(0);
    FileChooser chooseFile;
    MessageSink showMessage;

    void BuildMenus();
    void BuildLayout();
    wxString AskForDatabase();
    bool AcceptLoadedData(OpenTask* task);
    void Inform(const wxString& text, const wxString& caption, long style);
    wxBitmap PlotLayerForStack(uint32_t flag, int width, int height);
    wxBitmap StemLayerForStack(const wxString& stem, uint32_t flag, int width, int height);
    void UpdateZoomLabel();
    // The legend and the pointer readout follow what the picture shows.
    void UpdateReadingAids();
    std::vector<wxString> SelectedTrees() const;
    int StemRow(const wxString& stem) const;

    static int LoadStep(void* task);
    static int DatabaseLoaded(void* task);
    void OnDatabaseLoaded(OpenTask* task);

    void OnCheckBox(wxCommandEvent& event);
    void OnStemListSelection(wxCommandEvent& event);
    void OnMenu(wxCommandEvent& event);
    void OnZoom(ZoomEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);

    void OpenDatasetCommand();
    void SaveImageCommand();
    void SelectNoneCommand();
    void DeleteIndexesCommand();
    void PreferencesCommand();
    void ToggleInspectorCommand();
    void ImportTextCommand();
    void AboutCommand();

    wxDECLARE_EVENT_TABLE();
};
