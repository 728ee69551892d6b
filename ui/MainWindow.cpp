#include "ui/MainWindow.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "base/Log.h"
#include "render/PlotPixels.h"
#include "ui/AboutBox.h"
#include "ui/BackgroundJob.h"
#include "ui/ChangeBar.h"
#include "ui/FileDrop.h"
#include "ui/GridExportDialog.h"
#include "ui/ImportDialog.h"
#include "ui/InspectWindow.h"
#include "ui/InspectorPlacement.h"
#include "ui/LayerColumn.h"
#include "ui/LegendPanel.h"
#include "ui/MainLayout.h"
#include "ui/MapNavigation.h"
#include "ui/PictureSaver.h"
#include "ui/PrefsWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/RecentPlots.h"
#include "ui/TreeStatsWindow.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

namespace {

const char* const kOpenMessage = "Open Database File...";
const char* const kOpenWildcard = "Database Files (*.db)|*.db|Any File (*.*)|*.*";
const char* const kSaveMessage = "Save As...";
const char* const kCompareMessage = "Compare With...";

// How soon a drawing that found the file busy is tried again.
constexpr int kBusyRetryMs = 500;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(MainWindow, wxFrame)
    EVT_CHECKBOX(wxID_ANY, MainWindow::OnCheckBox)
    EVT_LISTBOX(wxID_ANY, MainWindow::OnStemListSelection)
    EVT_MENU(wxID_ANY, MainWindow::OnMenu)
    EVT_UPDATE_UI(ID_TREE_STATS, MainWindow::OnUpdateNeedsPlot)
    EVT_UPDATE_UI(ID_COPY_VIEW, MainWindow::OnUpdateNeedsPlot)
    EVT_UPDATE_UI(ID_EXPORT_GRID, MainWindow::OnUpdateNeedsPlot)
    EVT_UPDATE_UI(ID_COMPARE, MainWindow::OnUpdateNeedsPlot)
    EVT_UPDATE_UI(ID_END_COMPARISON, MainWindow::OnUpdateEndComparison)
    EVT_SIZE(MainWindow::OnSize)
    EVT_MOVE(MainWindow::OnMove)
    EVT_CHAR_HOOK(MainWindow::OnCharHook)
    EVT_BUTTON(ID_RELOAD, MainWindow::OnReloadButton)
    EVT_UPDATE_UI(ID_RELOAD, MainWindow::OnUpdateReload)
wxEND_EVENT_TABLE();
// clang-format on

MainWindow::MainWindow(const wxString& startFile, bool askForFile)
    : wxFrame(nullptr, wxID_ANY, "Quenvar", wxDefaultPosition, wxSize(750, 550)),
      session(MakeSessionHooks()) {
    SetMenuBar(CreateMainMenuBar());
    recentPlots = std::make_unique<RecentPlots>(
        GetMenuBar()->FindItem(ID_OPEN_RECENT),
        [this](const wxString& path) { OpenDatabase(path); },
        [this](const wxString& text) { Inform(text, "Open Recent", wxOK | wxICON_WARNING); });
    SetDropTarget(new FileDrop(
        this,
        {[this](const wxString& path) { OpenDatabase(path); },
         [this](const ImportRequest& files) { ImportTextCommand(files); },
         [this](const wxString& text) { Inform(text, "Drop Files", wxOK | wxICON_INFORMATION); }}));
    BuildLayout();
    busyRetry.SetOwner(this);
    Bind(wxEVT_TIMER, &MainWindow::OnBusyRetry, this, busyRetry.GetId());
    readoutBar = new ReadoutStatusBar(this);
    SetStatusBar(readoutBar);
    readoutBar->Watch(
        viewer, [this](const wxPoint& pixel, double& x, double& y) { PlotPointAt(pixel, x, y); });
    FitFirstSize(this, legendPanel, readoutBar, column->ContentHeight());
    inspector = new InspectWindow(this, [this](const wxString& stem) {
        ClearStemLayerCache(stem);
        RedrawLayers();
    });
    selection = std::make_unique<StemSelection>(stemList, session);
    statsWindow = new TreeStatsWindow(
        this, [this](const wxString& tree, bool on) { on ? SelectStem(tree) : DeselectStem(tree); },
        [this](TreeStatsWindow::TableDone done) { session.ComputeTreeStats(std::move(done)); },
        [this](TreeStatsWindow::GroupsDone done) { session.ComputeGroupStats(std::move(done)); });
    inspectorPlacement = std::make_unique<InspectorPlacement>(
        this, inspector, [this] { return viewer->GetScreenRect().GetRight() + 1; });
    zoomCtrl->SetMinimum(1);
    zoomCtrl->SetMaximum(4);
    zoomCtrl->SetStep(1);
    zoomCtrl->SetValue(1);
    Show();
    if (!startFile.empty()) {
        OpenDatabase(startFile);
    } else if (askForFile) {
        const wxString path = AskForDatabase();
        if (!path.empty()) {
            OpenDatabase(path);
        }
    }
}

MainWindow::~MainWindow() {
    busyRetry.Stop();
}

SessionHooks MainWindow::MakeSessionHooks() {
    SessionHooks hooks;
    hooks.runJob = [this](ProgressMonitor monitor, std::function<void(ProgressMonitor&)> work,
                          std::function<void(const JobEnd&)> done) {
        RunBehindProgress(this, monitor, std::move(work), std::move(done));
    };
    hooks.inform = [this](const wxString& text, const wxString& caption, long style) {
        Inform(text, caption, style);
    };
    hooks.letGo = [this] { OnLetGo(); };
    hooks.opened = [this] { OnOpened(); };
    hooks.inspected = [this](const wxString& stem) { OnInspected(stem); };
    hooks.selectionChanged = [this] { OnSelectionChanged(); };
    hooks.redraw = [this](bool retryTrees) { RedrawLayers(retryTrees); };
    hooks.workNote = [this](const wxString& note) { OnWorkNote(note); };
    hooks.setsChanged = [this] { ClearLayerCaches(); };
    hooks.offerReload = [this](const wxString& text) { changeBar->OfferReload(text); };
    hooks.comparisonChanged = [this] { OnComparisonChanged(); };
    return hooks;
}

void MainWindow::BuildLayout() {
    layerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL | wxNO_BORDER);
    column = std::make_unique<LayerColumn>(
        layerPanel, GetMenuBar()->FindItem(ID_GROUP_BY)->GetSubMenu(), session,
        [this] {
            FollowGrouping();
            RedrawLayers();
        },
        [this](const wxString& t, const wxString& c, long s) { Inform(t, c, s); });
    layerBoxes = &column->GetBoxes();
    stemList = column->GetStemList();
    wxStaticText* title = new wxStaticText(layerPanel, wxID_ANY, "Visualization", wxDefaultPosition,
                                           wxDefaultSize, wxALIGN_CENTRE);
    // The bar never resizes the map under a drag, a dialog or work on the file.
    changeBar = new ChangeBar(
        layerPanel, ID_RELOAD, [this] { return session.ChangeOnDisk(); },
        [this] { return !IsLoading() && IsEnabled() && !viewer->IsDragging(); });
    viewer = new Viewer(layerPanel,
                        ViewerHooks{[this](int dx, int dy) { PanView(dx, dy); },
                                    [this](int x, int y) { OnViewerClick(x, y); },
                                    [this](int notches, int x, int y) { WheelZoom(notches, x, y); },
                                    [this] { UpdateTitle(); }});
    legendPanel = new LegendPanel(layerPanel);
    zoomLabel = new wxStaticText(layerPanel, wxID_ANY, "?%", wxDefaultPosition, wxDefaultSize,
                                 wxBORDER_SIMPLE);
    zoomCtrl = new ZoomCtrl(layerPanel, 1, 100, 10, 1);
    navigation = std::make_unique<MapNavigation>(
        session, zoomCtrl, zoomLabel, [this] { return MapFrame(); }, [this] { OnViewChanged(); });
    zoomCtrl->Bind(ZoomEventType, &MapNavigation::OnZoom, navigation.get());
    ArrangeMainWindow(this, MainControls{layerPanel, column->GetWindow(), title, changeBar, viewer,
                                         legendPanel, zoomLabel, zoomCtrl});
}

void MainWindow::AddLayer(uint32_t flag, const char* label, LayerGroup group, int position,
                          int weight) {
    layerBoxes->Add(flag, label, group, position, weight);
    column->Fit();
}

void MainWindow::ApplyStartOptions(const PictureRequest& options) {
    // Now that the layer boxes are there.
    FitFirstSize(this, legendPanel, readoutBar, column->ContentHeight());
    layerBoxes->Tick(options.layers);
    session.SetStartOptions(options.view, options.stems, options.groupBy, options.groups);
    if (!options.comparePath.empty()) {
        session.Compare(wxString::FromUTF8(options.comparePath.c_str()));
    }
    SetFrameShape(options.shape);
    RedrawLayers();
}

wxString MainWindow::AskForDatabase() {
    return ChooseFile(kOpenMessage, kOpenWildcard, wxFD_OPEN);
}

wxString MainWindow::ChooseFile(const wxString& message, const wxString& wildcard, long style,
                                int* filterIndex) {
    if (chooseFile) {
        return chooseFile(message, wildcard, style);
    }
    wxFileDialog dialog(this, message, wxEmptyString, wxEmptyString, wildcard, style);
    const bool chosen = dialog.ShowModal() == wxID_OK;
    if (chosen && filterIndex) {
        *filterIndex = dialog.GetFilterIndex();
    }
    return chosen ? dialog.GetPath() : wxString();
}

void MainWindow::Inform(const wxString& text, const wxString& caption, long style) {
    if (showMessage) {
        showMessage(text, caption, style);
        return;
    }
    wxMessageBox(text, caption, style, this);
}

// ---------------------------------------------------------------------------
// The plot and the session

void MainWindow::OpenDatabase(const wxString& path) {
    session.Open(path);
}

void MainWindow::Reload() {
    // Never under a drag: the view it keeps would be a view half moved.
    if (!viewer->IsDragging()) {
        session.Reload();
    }
}

// Nothing of the plot is read any more; the map keeps its last picture
// under the progress window of what follows.
void MainWindow::OnLetGo() {
    busyRetry.Stop();
    readoutBar->SetPlot(nullptr);
    readoutBar->SetFileBusy(false);
    legendPanel->SetSections({});
    changeBar->Forget();
    inspector->SetTreeColors(nullptr);
    statsWindow->SetPlot(wxString());
    column->Refill();
    FollowGrouping();
}

void MainWindow::FollowGrouping() {
    const std::string column = session.IsOpen() ? session.GetGroupColumn() : std::string();
    statsWindow->SetGrouping(wxString::FromUTF8(column.c_str()));
}

// The window follows a new plot, or none when the opening was refused.
void MainWindow::OnOpened() {
    ClearLayerCaches();
    viewer->SetLayers({});
    selection->Refill();
    column->Refill();
    const bool open = session.IsOpen();
    PlotFile* plot = open ? &session.GetPlot() : nullptr;
    readoutBar->SetPlot(plot);
    inspector->SetTreeColors(open ? session.GetTreeColors() : nullptr);
    statsWindow->SetPlot(open ? plot->GetPath() : wxString());
    FollowGrouping();
    if (open) {
        navigation->Reset();
        changeBar->Watch();
        recentPlots->Add(plot->GetPath());
    }
}

void MainWindow::OnInspected(const wxString& stem) {
    inspector->SetTreeColors(session.IsOpen() ? session.GetTreeColors() : nullptr);
    inspector->ShowStem(stem, session.IsOpen() ? &session.GetPlot() : nullptr);
}

// The difference layers, the legend, the readout and the title follow.
void MainWindow::OnComparisonChanged() {
    ClearLayerCaches();
    layerBoxes->ShowChanges(session.GetComparison() != nullptr);
    column->Fit();
    readoutBar->SetComparison(session.GetComparison());
    UpdateTitle();
}

void MainWindow::OnSelectionChanged() {
    selection->ShowSelection();
}

void MainWindow::OnWorkNote(const wxString& note) {
    // The map is on screen before the work's progress window comes.
    if (!note.empty()) {
        viewer->Update();
    }
    readoutBar->SetWorkNote(note);
}

// ---------------------------------------------------------------------------
// Stem selection

void MainWindow::SelectStem(const wxString& stem) {
    if (session.IsOpen()) {
        session.Select(stem);
        RedrawLayers();
    }
}

void MainWindow::DeselectStem(const wxString& stem) {
    if (session.IsOpen()) {
        session.Deselect(stem);
        RedrawLayers();
    }
}

void MainWindow::OnViewerClick(int x, int y) {
    if (!session.IsOpen()) {
        return;
    }
    Log(LOG_RUN, "Viewer clicked. (%d, %d)", x, y);
    double px = 0.0;
    double py = 0.0;
    PixelToPlot(MapFrame(), x, y, px, py);
    const wxString stem = session.GetPlot().FindNearestStem(px, py);
    // "none" is the answer when no stem is near enough, unless a tree really
    // bears that name.
    if (stem == "none" && stemList->FindString(stem, true) == wxNOT_FOUND) {
        return;
    }
    SelectStem(stem);
}

// ---------------------------------------------------------------------------
// Events

void MainWindow::OnCheckBox(wxCommandEvent& event) {
    wxCheckBox* checkBox = wxDynamicCast(event.GetEventObject(), wxCheckBox);
    const wxString label = checkBox ? checkBox->GetLabel() : wxString();
    Log(LOG_RUN, event.IsChecked() ? "Layer selected: %s" : "Layer deselected: %s",
        label.utf8_str().data());
    RedrawLayers();
}

void MainWindow::OnStemListSelection(wxCommandEvent& event) {
    Log(LOG_RUN, "Stems list control selection modified.");
    if (session.IsOpen()) {
        selection->FollowList(event.IsSelection() ? event.GetSelection() : -1);
        RedrawLayers();
    }
}

void MainWindow::OnMenu(wxCommandEvent& event) {
    switch (event.GetId()) {
        case ID_OPEN_DATASET:
            OpenDatasetCommand();
            break;
        case ID_RELOAD:
            Reload();
            break;
        case ID_SAVE_IMAGE:
            SaveImageCommand();
            break;
        case ID_EXPORT_GRID:
            ExportGridCommand();
            break;
        case wxID_EXIT:
            wxTheApp->ExitMainLoop();
            break;
        case ID_COPY_VIEW:
            CopyViewCommand();
            break;
        case ID_SELECT_NONE:
            SelectNoneCommand();
            break;
        case ID_DELETE_INDEXES:
            DeleteIndexesCommand();
            break;
        case ID_TREE_STATS:
            statsWindow->Present();
            break;
        case wxID_PREFERENCES:
            PreferencesCommand();
            break;
        case ID_SHOW_INSPECTOR:
            ShowInspectorCommand();
            break;
        case ID_IMPORT_TEXT:
            ImportTextCommand(ImportRequest());
            break;
        case ID_COMPARE:
            CompareCommand();
            break;
        case ID_END_COMPARISON:
            session.EndComparison();
            RedrawLayers();
            break;
        case ID_NEXT_PLOT:
        case ID_PREVIOUS_PLOT:
            // Never under a drag, as for a Reload: the view kept would be half moved.
            if (!viewer->IsDragging()) {
                session.OpenNeighbour(event.GetId() == ID_NEXT_PLOT ? 1 : -1);
            }
            break;
        case wxID_ABOUT:
            AboutCommand();
            break;
        case ID_TRUE_PROPORTIONS:
        case ID_NORTH_UP: {
            FrameShape shape = session.GetFrameShape();
            (event.GetId() == ID_NORTH_UP ? shape.northUp : shape.trueProportions) =
                event.IsChecked();
            SetFrameShape(shape);
            break;
        }
        default:
            if (!navigation->Command(event.GetId()) &&
                !column->GetGrouping().Command(event.GetId())) {
                recentPlots->Choose(event.GetId());
            }
            break;
    }
}

void MainWindow::OnUpdateNeedsPlot(wxUpdateUIEvent& event) {
    event.Enable(session.IsOpen());
}

void MainWindow::OnUpdateEndComparison(wxUpdateUIEvent& event) {
    event.Enable(session.IsComparing());
}

// The View keys act wherever the window has the keyboard, except in the
// stem list, whose keys move through its rows. They are caught here because
// the map, like any window that takes typing, would swallow "+" and "-"
// before the menu's accelerators saw them.
void MainWindow::OnCharHook(wxKeyEvent& event) {
    wxWindow* focus = FindFocus();
    const int command = ViewCommandForKey(event);
    if (command == 0 || !focus || wxGetTopLevelParent(focus) != this || focus == stemList) {
        event.Skip();
        return;
    }
    wxCommandEvent menuEvent(wxEVT_MENU, command);
    OnMenu(menuEvent);
}

void MainWindow::OnSize(wxSizeEvent& event) {
    Log(LOG_RUN, "Window resized. Is now (%d, %d)", event.GetSize().x, event.GetSize().y);
    event.Skip();
}

void MainWindow::OnMove(wxMoveEvent& event) {
    Log(LOG_RUN, "Window moved. Now at (%d, %d)", event.GetPosition().x, event.GetPosition().y);
    event.Skip();
}

void MainWindow::OnReloadButton(wxCommandEvent&) {
    Reload();
}

void MainWindow::OnUpdateReload(wxUpdateUIEvent& event) {
    event.Enable(session.CanReload());
}

void MainWindow::OnBusyRetry(wxTimerEvent&) {
    RedrawLayers(false);
}

void MainWindow::ShowFileBusy() {
    readoutBar->SetFileBusy(true);
    if (!busyRetry.IsRunning()) {
        busyRetry.StartOnce(kBusyRetryMs);
    }
}

// ---------------------------------------------------------------------------
// Commands

void MainWindow::OpenDatasetCommand() {
    const wxString path = AskForDatabase();
    if (!path.empty()) {
        OpenDatabase(path);
    }
    Log(LOG_RUN, "File loaded.");
}

void MainWindow::CompareCommand() {
    const wxString path = ChooseFile(kCompareMessage, kOpenWildcard, wxFD_OPEN);
    if (!path.empty()) {
        session.Compare(path);
    }
}

void MainWindow::SaveImageCommand() {
    Log(LOG_RUN, "Image saved.");
    int filterIndex = 0;
    const wxString chosen = ChooseFile(kSaveMessage, kPictureWildcard, wxFD_SAVE, &filterIndex);
    const wxBitmap composite = viewer->GetComposite();
    if (chosen.empty() || !composite.IsOk() || !session.IsOpen()) {
        return;
    }
    const wxString path = WithChosenExtension(chosen, filterIndex);
    wxString error;
    if (!SavePicture(path, composite, session.GetPainter(), CurrentScene(), CurrentStyle(),
                     layerCache, error)) {
        Inform(wxString::Format("The image could not be written to \"%s\" (%s).", path, error),
               "Save Current Image", wxOK | wxICON_ERROR);
    }
}

void MainWindow::ExportGridCommand() {
    if (session.IsOpen()) {
        PlotComparison* comparison = session.GetComparison();
        ExportGrid(this, session.GetPlot(),
                   TickedValueLayers(layerBoxes->Ticked(), selection->GetRowStems(),
                                     comparison != nullptr),
                   {chooseFile, chooseLayer, showMessage}, comparison);
    }
}

void MainWindow::SelectNoneCommand() {
    if (session.IsOpen()) {
        session.ClearSelection();
        RedrawLayers();
    }
}

// Nothing of the file is shown while its index tables go.
void MainWindow::DeleteIndexesCommand() {
    if (session.DeleteIndexTables()) {
        ClearLayerCaches();
        viewer->SetLayers({});
        selection->Refill();
        UpdateZoomDisplay();
    }
}

void MainWindow::PreferencesCommand() {
    PrefsWindow preferences(this);
    ClearLayerCaches();
    RedrawLayers();
}

// Shown and in front, as the menu says, wherever it was: hidden, or under
// another window (hiding it at a press left the first Ctrl+I showing
// nothing). Its close box hides it. The log line is the one scripts know.
void MainWindow::ShowInspectorCommand() {
    Log(LOG_RUN, "Inspect window toggled.");
    inspector->Show();
    inspector->Raise();
}

// The files the request names (dropped on the window) are not asked for.
void MainWindow::ImportTextCommand(ImportRequest request) {
    Log(LOG_RUN, "Import of delimited text chosen.");
    ImportDialogHooks hooks;
    hooks.chooseFile = chooseFile;
    hooks.inform = [this](const wxString& text, const wxString& caption, long style) {
        Inform(text, caption, style);
    };
    hooks.open = [this](const wxString& path) { OpenDatabase(path); };
    if (AskImportFiles(this, hooks, request)) {
        StartImport(this, request, std::move(hooks), aliveToken);
    }
}

void MainWindow::AboutCommand() {
    Log(LOG_RUN, "About box shown.");
    ShowAboutBox(this);
}
