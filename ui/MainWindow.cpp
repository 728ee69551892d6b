#include "ui/MainWindow.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "app/Dispatcher.h"
#include "app/Log.h"
#include "app/ProgressMonitor.h"
#include "render/ColorSettings.h"
#include "render/LayerStack.h"
#include "render/Legend.h"
#include "render/PlotRect.h"
#include "render/RenderHelper.h"
#include "ui/AboutBox.h"
#include "ui/ImportDialog.h"
#include "ui/InspectWindow.h"
#include "ui/LegendPanel.h"
#include "ui/PrefsWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/ReadoutStatusBar.h"
#include "ui/Viewer.h"
#include "ui/ZoomCtrl.h"

// What the loading worker needs, and what it hands back to the main thread.
struct OpenTask {
    ProgressMonitor monitor{0.0, 0.0};
    wxString path;
    MainWindow* window = nullptr;
    std::weak_ptr<int> windowAlive;
    int generation = 0;
    std::unique_ptr<RenderHelper> helper;
};

namespace {

const char* const kOpenMessage = "Open Database File...";
const char* const kOpenWildcard = "Database Files (*.db)|*.db|Any File (*.*)|*.*";
const char* const kSaveMessage = "Save As...";
const char* const kSaveWildcard = "PNG Files (*.png)|*.png";

// The overlay of highlighted stems; not a catalogue layer, always on top.
const uint32_t kHighlightFlag = 2048;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(MainWindow, wxFrame)
    EVT_CHECKBOX(wxID_ANY, MainWindow::OnCheckBox)
    EVT_LISTBOX(wxID_ANY, MainWindow::OnStemListSelection)
    EVT_MENU(wxID_ANY, MainWindow::OnMenu)
    EVT_ZOOM(MainWindow::OnZoom)
    EVT_SIZE(MainWindow::OnSize)
    EVT_MOVE(MainWindow::OnMove)
wxEND_EVENT_TABLE();
// clang-format on

MainWindow::MainWindow(const wxString& startFile, bool askForFile)
    : wxFrame(nullptr, wxID_ANY, "Quenvar", wxDefaultPosition, wxSize(750, 550)) {
    BuildMenus();
    BuildLayout();
    readoutBar = new ReadoutStatusBar(this);
    SetStatusBar(readoutBar);
    readoutBar->Watch(viewer);
    inspector = new InspectWindow(this, nullptr);
    const wxRect frame = GetRect();
    inspector->Move(frame.x + frame.width + 20, frame.y);
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

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
    wxMenu* fileMenu = new wxMenu;
    fileMenu->Append(ID_OPEN_DATASET, "&Open Dataset...\tCtrl+o");
    fileMenu->Append(ID_IMPORT_TEXT, "&Import Delimited Text...");
    fileMenu->AppendSeparator();
    fileMenu->Append(ID_SAVE_IMAGE, "&Save Current Image...\tCtrl+S");
    fileMenu->Append(wxID_EXIT, "&Quit");
    wxMenu* editMenu = new wxMenu;
    editMenu->Append(ID_SELECT_ALL, "Select &All\tCtrl+a");
    editMenu->Append(ID_SELECT_NONE, "Select &None\tCtrl+shift+a");
    wxMenu* advancedMenu = new wxMenu;
    advancedMenu->Append(ID_DELETE_INDEXES, "&Delete Index Tables");
    advancedMenu->Append(wxID_PREFERENCES, "&Preferences...\tCtrl+,");
    wxMenu* windowMenu = new wxMenu;
    windowMenu->Append(ID_SHOW_INSPECTOR, "Show &Inspector\tCtrl+I");
    wxMenuBar* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, "&File");
    menuBar->Append(editMenu, "&Edit");
    menuBar->Append(advancedMenu, "&Advanced");
    menuBar->Append(windowMenu, "&Window");
    wxMenu* helpMenu = new wxMenu;
    helpMenu->Append(wxID_ABOUT, "About Quenvar");
    menuBar->Append(helpMenu, "&Help");
    editMenu->Enable(ID_SELECT_ALL, false);
    SetMenuBar(menuBar);
}

void MainWindow::BuildLayout() {
    layerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL | wxNO_BORDER);
    wxStaticBox* plotBox = new wxStaticBox(layerPanel, wxID_ANY, "Plot Layers");
    wxStaticBox* stemLayerBox = new wxStaticBox(layerPanel, wxID_ANY, "Individual Stem Layers");
    wxStaticBox* stemsBox = new wxStaticBox(layerPanel, wxID_ANY, "Available Stems");
    stemList = new wxListBox(layerPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                             wxLB_MULTIPLE);
    wxStaticText* title = new wxStaticText(layerPanel, wxID_ANY, "Visualization", wxDefaultPosition,
                                           wxDefaultSize, wxALIGN_CENTRE);
    viewer = new Viewer(layerPanel);
    legendPanel = new LegendPanel(layerPanel);
    zoomLabel = new wxStaticText(layerPanel, wxID_ANY, "?%", wxDefaultPosition, wxDefaultSize,
                                 wxBORDER_SIMPLE);
    zoomCtrl = new ZoomCtrl(layerPanel, 1, 100, 10, 1);

    plotLayerSizer = new wxStaticBoxSizer(plotBox, wxVERTICAL);
    stemLayerSizer = new wxStaticBoxSizer(stemLayerBox, wxVERTICAL);
    wxStaticBoxSizer* stemsSizer = new wxStaticBoxSizer(stemsBox, wxVERTICAL);
    stemsSizer->SetMinSize(-1, 100);
    stemsSizer->Add(stemList, 1, wxEXPAND);

    wxBoxSizer* leftColumn = new wxBoxSizer(wxVERTICAL);
    leftColumn->SetMinSize(100, -1);
    leftColumn->Add(plotLayerSizer, 0, wxEXPAND);
    leftColumn->Add(stemLayerSizer, 0, wxEXPAND);
    leftColumn->Add(stemsSizer, 1, wxEXPAND);

    wxBoxSizer* bottomRow = new wxBoxSizer(wxHORIZONTAL);
    bottomRow->Add(zoomLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    bottomRow->Add(zoomCtrl, 1, 0, 0);

    wxBoxSizer* centreColumn = new wxBoxSizer(wxVERTICAL);
    centreColumn->Add(title, 0, wxEXPAND | wxBOTTOM, 5);
    wxBoxSizer* mapRow = new wxBoxSizer(wxHORIZONTAL);
    mapRow->Add(viewer, 1, wxEXPAND);
    mapRow->Add(legendPanel, 0, wxEXPAND | wxLEFT, 5);
    centreColumn->Add(mapRow, 1, wxEXPAND | wxBOTTOM, 3);
    centreColumn->Add(bottomRow, 0, wxEXPAND);

    wxBoxSizer* panelSizer = new wxBoxSizer(wxHORIZONTAL);
    panelSizer->Add(leftColumn, 0, wxEXPAND | wxALL, 10);
    panelSizer->Add(centreColumn, 1, wxEXPAND | wxTOP | wxBOTTOM | wxRIGHT, 10);
    layerPanel->SetSizer(panelSizer);

    wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(layerPanel, 1, wxEXPAND, 0);
    SetSizer(frameSizer);
    Layout();
}

void MainWindow::AddLayer(int flag, const char* label, int group, int position, int weight) {
    wxCheckBox* checkBox = new wxCheckBox(layerPanel, wxID_ANY, wxString::FromUTF8(label));
    (group == PLOT_LAYER_GROUP ? plotLayerSizer : stemLayerSizer)->Add(checkBox, 0, 0, 0);
    const LayerEntry entry{flag, position, group, weight, checkBox};
    // Position 0 is the front and -1 the back; otherwise the layer goes in front
    // of the first one at or beyond its position, so the newest of equals leads.
    auto place = layers.end();
    if (position == 0) {
        place = layers.begin();
    } else if (position != -1) {
        place = std::find_if(layers.begin(), layers.end(),
                             [position](const LayerEntry& e) { return e.position >= position; });
    }
    layers.insert(place, entry);
    layerPanel->Layout();
}

wxString MainWindow::AskForDatabase() {
    if (chooseFile) {
        return chooseFile(kOpenMessage, kOpenWildcard, wxFD_OPEN);
    }
    wxFileDialog dialog(this, kOpenMessage, wxEmptyString, wxEmptyString, kOpenWildcard, wxFD_OPEN);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

// ---------------------------------------------------------------------------
// Opening a database

void MainWindow::OpenDatabase(const wxString& path) {
    readoutBar->SetPlot(nullptr);
    legendPanel->SetSections({});
    renderHelper.reset();
    // The inspector must not keep acting on the data set that was just dropped.
    inspector->SetRenderHelper(nullptr);
    OpenTask* task = new OpenTask;
    task->path = path;
    task->window = this;
    task->windowAlive = aliveToken;
    task->generation = ++loadGeneration;
    ++pendingLoads;
    ProgressWindow* progress = new ProgressWindow(this, false, false);
    progress->SetPulse(true);
    progress->SetMonitor(task->monitor);
    StartThread(&MainWindow::LoadStep, task);
}

int MainWindow::LoadStep(void* argument) {
    OpenTask* task = static_cast<OpenTask*>(argument);
    task->helper.reset(new RenderHelper(task->path, task->monitor));
    task->monitor.SetState(ProgressMonitor::Finished);
    PostToMainThread(&MainWindow::DatabaseLoaded, task);
    return 0;
}

int MainWindow::DatabaseLoaded(void* argument) {
    std::unique_ptr<OpenTask> task(static_cast<OpenTask*>(argument));
    // The window may have been closed while the worker ran.
    if (!task->windowAlive.expired()) {
        task->window->OnDatabaseLoaded(task.get());
    }
    return 0;
}

void MainWindow::OnDatabaseLoaded(OpenTask* task) {
    --pendingLoads;
    // A later opening supersedes this one; its result alone counts.
    if (task->generation != loadGeneration) {
        return;
    }
    const bool accepted = AcceptLoadedData(task);
    if (renderHelper) {
        renderHelper->SetView(renderHelper->GetFullXMin(), renderHelper->GetFullYMin(),
                              renderHelper->GetFullXMax(), renderHelper->GetFullYMax());
    }
    ClearLayerCaches();
    viewer->SetLayers({});
    RefillStemList();
    readoutBar->SetPlot(renderHelper.get());
    RedrawLayers();
    inspector->SetRenderHelper(renderHelper.get());
    if (accepted) {
        Log(LOG_RUN, "Database loaded.");
    }
}

bool MainWindow::AcceptLoadedData(OpenTask* task) {
    // The data set's own account names the file and the reason.
    const wxString problem = task->helper->GetOpenProblem();
    switch (task->helper->GetOpenStatus()) {
        case RenderHelper::OpenStatus::NoPlotData:
            // Nothing of a refused file is kept: the window stays as without data.
            task->helper.reset();
            Inform(problem.empty() ? wxString::Format("\"%s\" holds no plot data.", task->path)
                                   : problem,
                   "Open Database", wxOK | wxICON_ERROR);
            return false;
        case RenderHelper::OpenStatus::IndexFailed:
            Inform(
                problem.empty()
                    ? wxString::Format("The index tables of \"%s\" could not be built.", task->path)
                    : problem,
                "Open Database", wxOK | wxICON_WARNING);
            break;
        case RenderHelper::OpenStatus::Loaded:
            break;
    }
    renderHelper = std::move(task->helper);
    return true;
}

void MainWindow::Inform(const wxString& text, const wxString& caption, long style) {
    if (showMessage) {
        showMessage(text, caption, style);
        return;
    }
    wxMessageBox(text, caption, style, this);
}

void MainWindow::RefillStemList() {
    stemList->Clear();
    selectedStemRows.clear();
    if (!renderHelper) {
        return;
    }
    for (const wxString& name : renderHelper->GetTreeNames()) {
        stemList->Append(name);
    }
}

// ---------------------------------------------------------------------------
// Stem selection

void MainWindow::SelectStem(const wxString& stem) {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "Stem selected: %s", stem.utf8_str().data());
    const std::vector<wxString> attributes = renderHelper->GetStemAttributeNames();
    currentStem = stem;
    inspector->SetStem(stem);
    inspector->ClearInfo();
    inspector->AddInfo("Stem ID", stem);
    for (const wxString& attribute : attributes) {
        inspector->AddInfo(attribute,
                           wxString::Format("%f", renderHelper->GetStemValue(stem, attribute)));
    }
    renderHelper->AddHighlightedStem(stem);
    const int row = StemRow(stem);
    // A stem without a row in the list is highlighted and inspected, but no
    // row is recorded for it.
    if (row != wxNOT_FOUND) {
        if (!stemList->IsSelected(row)) {
            stemList->SetSelection(row, true);
        }
        selectedStemRows.push_back(row);
    }
    RedrawLayers();
}

void MainWindow::DeselectStem(const wxString& stem) {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "Stem deselected: %s", stem.utf8_str().data());
    if (stem == currentStem) {
        currentStem.clear();
        inspector->SetStem(wxEmptyString);
        inspector->ClearInfo();
    }
    renderHelper->RemoveHighlightedStem(stem);
    const int row = StemRow(stem);
    if (row != wxNOT_FOUND) {
        if (stemList->IsSelected(row)) {
            stemList->Deselect(row);
        }
        selectedStemRows.erase(std::remove(selectedStemRows.begin(), selectedStemRows.end(), row),
                               selectedStemRows.end());
    }
    RedrawLayers();
}

int MainWindow::StemRow(const wxString& stem) const {
    return stemList->FindString(stem, false);
}

void MainWindow::OnViewerClick(int x, int y) {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "Viewer clicked. (%d, %d)", x, y);
    const wxSize size = viewer->GetClientSize();
    double px = 0.0;
    double py = 0.0;
    PixelToPlot(renderHelper->GetView(), size.x, size.y, x, y, px, py);
    const wxString stem = renderHelper->FindNearestStem(px, py);
    // "none" is the answer when no stem is near enough, unless a tree really
    // bears that name.
    if (stem == "none" && stemList->FindString(stem, true) == wxNOT_FOUND) {
        return;
    }
    SelectStem(stem);
}

// ---------------------------------------------------------------------------
// Layers and the picture

wxBitmap MainWindow::CachedPlotLayer(uint32_t flag) const {
    const auto found = plotLayerCache.find(flag);
    return found == plotLayerCache.end() ? wxBitmap() : found->second;
}

wxBitmap MainWindow::CachedStemLayer(const wxString& stem, uint32_t flag) const {
    const auto stemEntry = stemLayerCache.find(stem);
    if (stemEntry == stemLayerCache.end()) {
        return wxBitmap();
    }
    const auto found = stemEntry->second.find(flag);
    return found == stemEntry->second.end() ? wxBitmap() : found->second;
}

void MainWindow::ClearLayerCaches() {
    plotLayerCache.clear();
    for (auto& stemEntry : stemLayerCache) {
        stemEntry.second.clear();
    }
}

void MainWindow::ClearStemLayerCache(const wxString& stem) {
    const auto stemEntry = stemLayerCache.find(stem);
    if (stemEntry != stemLayerCache.end()) {
        stemEntry->second.clear();
    }
}

wxBitmap MainWindow::PlotLayerForStack(uint32_t flag, int width, int height) {
    const wxBitmap cached = CachedPlotLayer(flag);
    if (cached.IsOk()) {
        return cached;
    }
    const wxBitmap drawn = renderHelper->RenderPlotLayers(flag, width, height);
    plotLayerCache[flag] = drawn;
    return ToAlphaBitmap(drawn);
}

wxBitmap MainWindow::StemLayerForStack(const wxString& stem, uint32_t flag, int width, int height) {
    const wxBitmap cached = CachedStemLayer(stem, flag);
    if (cached.IsOk()) {
        return cached;
    }
    const wxBitmap drawn = renderHelper->RenderStemLayers(flag, stem, width, height);
    stemLayerCache[stem][flag] = drawn;
    return ToAlphaBitmap(drawn);
}

void MainWindow::RedrawLayers() {
    if (!renderHelper) {
        return;
    }
    const std::vector<int> rows = selectedStemRows;
    const wxSize size = viewer->GetClientSize();
    std::vector<wxBitmap> stack;
    // A viewer without pixels (not laid out yet) cannot hold a picture.
    if (size.x > 0 && size.y > 0) {
        for (const LayerEntry& entry : layers) {
            if (!entry.checkBox->GetValue()) {
                continue;
            }
            if (entry.group == PLOT_LAYER_GROUP) {
                stack.push_back(PlotLayerForStack(entry.flag, size.x, size.y));
                continue;
            }
            for (int row : rows) {
                if (row < 0 || row >= int(stemList->GetCount())) {
                    continue;
                }
                stack.push_back(
                    StemLayerForStack(stemList->GetString(row), entry.flag, size.x, size.y));
            }
        }
        stack.push_back(renderHelper->RenderPlotLayers(kHighlightFlag, size.x, size.y));
    }
    viewer->SetLayers(stack);
    UpdateZoomLabel();
    UpdateReadingAids();
    layerPanel->Layout();
}

std::vector<wxString> MainWindow::SelectedTrees() const {
    std::vector<wxString> trees;
    for (int row : selectedStemRows) {
        if (row < 0 || row >= int(stemList->GetCount())) {
            continue;
        }
        const wxString label = stemList->GetString(row);
        if (std::find(trees.begin(), trees.end(), label) == trees.end()) {
            trees.push_back(label);
        }
    }
    return trees;
}

void MainWindow::UpdateReadingAids() {
    const std::vector<wxString> trees = SelectedTrees();
    std::vector<LegendLayer> shown;
    for (const LayerEntry& entry : layers) {
        if (entry.checkBox->GetValue()) {
            shown.push_back({entry.group, uint32_t(entry.flag), entry.checkBox->GetLabel()});
        }
    }
    ColorSettings defaults;
    legendPanel->SetSections(
        BuildLegend(*renderHelper, shown, trees, colorSettings ? *colorSettings : defaults));
    readoutBar->SetTrees(trees);
    readoutBar->Reread();
}

void MainWindow::UpdateZoomLabel() {
    const double percent =
        100.0 * renderHelper->GetFullExtent().Width() / renderHelper->GetView().Width();
    // A plot without width (a single stem) has no meaningful zoom.
    if (!std::isfinite(percent) || std::fabs(percent) > 1e9) {
        zoomLabel->SetLabel("?%");
        return;
    }
    zoomLabel->SetLabel(wxString::Format("%d%s", int(percent), "%"));
}

void MainWindow::PanView(int dx, int dy) {
    if (!renderHelper) {
        return;
    }
    Log(LOG_RUN, "View moved: (%d, %d)", dx, dy);
    const wxSize size = viewer->GetClientSize();
    const PlotRect view = PannedView(renderHelper->GetView(), size.x, size.y, dx, dy);
    renderHelper->SetView(view.xMin, view.yMin, view.xMax, view.yMax);
    ClearLayerCaches();
    RedrawLayers();
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
    if (event.IsSelection()) {
        const int row = event.GetSelection();
        if (row >= 0 && row < int(stemList->GetCount())) {
            SelectStem(stemList->GetString(row));
        }
        return;
    }
    std::vector<wxString> dropped;
    for (int row : selectedStemRows) {
        if (row >= 0 && row < int(stemList->GetCount()) && !stemList->IsSelected(row)) {
            dropped.push_back(stemList->GetString(row));
        }
    }
    for (const wxString& stem : dropped) {
        DeselectStem(stem);
    }
}

void MainWindow::OnMenu(wxCommandEvent& event) {
    switch (event.GetId()) {
        case ID_OPEN_DATASET:
            OpenDatasetCommand();
            break;
        case ID_SAVE_IMAGE:
            SaveImageCommand();
            break;
        case wxID_EXIT:
            wxTheApp->ExitMainLoop();
            break;
        case ID_SELECT_NONE:
            SelectNoneCommand();
            break;
        case ID_DELETE_INDEXES:
            DeleteIndexesCommand();
            break;
        case wxID_PREFERENCES:
            PreferencesCommand();
            break;
        case ID_SHOW_INSPECTOR:
            ToggleInspectorCommand();
            break;
        case ID_IMPORT_TEXT:
            ImportTextCommand();
            break;
        case wxID_ABOUT:
            AboutCommand();
            break;
        default:
            break;
    }
}

void MainWindow::OnZoom(ZoomEvent& event) {
    if (!renderHelper) {
        return;
    }
    const PlotRect& full = renderHelper->GetFullExtent();
    PlotRect view = renderHelper->GetView();
    // One step is a quarter of the full extent, taken half from each side.
    const double halfX = 0.25 * full.Width() / 2;
    const double halfY = 0.25 * full.Height() / 2;
    if (event.IsZoomIn()) {
        Log(LOG_RUN, "View zoomed in.");
        view = {view.xMin + halfX, view.yMin + halfY, view.xMax - halfX, view.yMax - halfY};
    } else {
        Log(LOG_RUN, "View zoomed out.");
        view = {view.xMin - halfX, view.yMin - halfY, view.xMax + halfX, view.yMax + halfY};
    }
    renderHelper->SetView(view.xMin, view.yMin, view.xMax, view.yMax);
    ClearLayerCaches();
    RedrawLayers();
}

void MainWindow::OnSize(wxSizeEvent& event) {
    Log(LOG_RUN, "Window resized. Is now (%d, %d)", event.GetSize().x, event.GetSize().y);
    event.Skip();
}

void MainWindow::OnMove(wxMoveEvent& event) {
    Log(LOG_RUN, "Window moved. Now at (%d, %d)", event.GetPosition().x, event.GetPosition().y);
    event.Skip();
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

void MainWindow::SaveImageCommand() {
    Log(LOG_RUN, "Image saved.");
    wxString path;
    if (chooseFile) {
        path = chooseFile(kSaveMessage, kSaveWildcard, wxFD_SAVE);
    } else {
        wxFileDialog dialog(this, kSaveMessage, wxEmptyString, wxEmptyString, kSaveWildcard,
                            wxFD_SAVE);
        if (dialog.ShowModal() == wxID_OK) {
            path = dialog.GetPath();
        }
    }
    const wxBitmap composite = viewer->GetComposite();
    if (path.empty() || !composite.IsOk()) {
        return;
    }
    bool saved = false;
    {
        // The toolkit would report a failure in a dialog of its own; say it once, here.
        wxLogNull quiet;
        saved = composite.SaveFile(path, wxBITMAP_TYPE_PNG);
    }
    if (!saved) {
        Inform(wxString::Format("The image could not be written to \"%s\".", path),
               "Save Current Image", wxOK | wxICON_ERROR);
    }
}

void MainWindow::SelectNoneCommand() {
    if (!renderHelper) {
        return;
    }
    for (int row : selectedStemRows) {
        if (row >= 0 && row < int(stemList->GetCount())) {
            renderHelper->RemoveHighlightedStem(stemList->GetString(row));
        }
    }
    // Stems picked without a list row are highlighted too; the overlay must end up empty.
    const std::vector<wxString> remaining = renderHelper->GetHighlightedStems();
    for (const wxString& stem : remaining) {
        renderHelper->RemoveHighlightedStem(stem);
    }
    stemList->DeselectAll();
    selectedStemRows.clear();
    RedrawLayers();
}

void MainWindow::DeleteIndexesCommand() {
    if (!renderHelper) {
        return;
    }
    // Nothing may read the dropped tables until the file is opened again.
    readoutBar->SetPlot(nullptr);
    renderHelper->DeleteIndexTables();
    Inform(
        "All database indexes have been deleted. You will need to re open the database "
        "before you can use it again.",
        "Indexes Deleted", wxOK | wxICON_INFORMATION);
}

void MainWindow::PreferencesCommand() {
    PrefsWindow preferences(this);
    ClearLayerCaches();
    RedrawLayers();
}

void MainWindow::ToggleInspectorCommand() {
    Log(LOG_RUN, "Inspect window toggled.");
    inspector->Show(!inspector->IsShown());
}

void MainWindow::ImportTextCommand() {
    Log(LOG_RUN, "Import of delimited text chosen.");
    ImportDialogHooks hooks;
    hooks.chooseFile = chooseFile;
    hooks.inform = [this](const wxString& text, const wxString& caption, long style) {
        Inform(text, caption, style);
    };
    hooks.open = [this](const wxString& path) { OpenDatabase(path); };
    ImportRequest request;
    if (AskImportFiles(this, hooks, request)) {
        StartImport(this, request, std::move(hooks), aliveToken);
    }
}

void MainWindow::AboutCommand() {
    Log(LOG_RUN, "About box shown.");
    ShowAboutBox(this);
}
