#include "ui/GridExportDialog.h"

#include <wx/choicdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <string>

#include "base/Log.h"
#include "base/Text.h"
#include "cli/GridFormats.h"
#include "data/PlotFile.h"

namespace {

const char* const kCaption = "Export Grid";
const char* const kSaveMessage = "Export the Grid As...";
const char* const kChooseMessage = "Which layer's values should the grid hold?";
// The filters in the order of kFilterEndings.
const char* const kGridWildcard =
    "GeoTIFF (*.tif)|*.tif|ESRI ASCII Grid (*.asc)|*.asc|CSV of x,y,value (*.csv)|*.csv";
const char* const kFilterEndings[] = {".tif", ".asc", ".csv"};
const char* const kNothingTicked =
    "Export Grid writes the values of a value layer over the whole plot: tick the total uptake "
    "or tree count (blocks, clouds or level lines), or a layer of a selected tree, first.";
const char* const kFileBusy =
    "The file is busy: another program is writing it. Try again when it has finished.";

void Inform(wxWindow* parent, const GridExportHooks& hooks, const wxString& text, long style) {
    if (hooks.inform) {
        hooks.inform(text, kCaption, style);
        return;
    }
    wxMessageBox(text, kCaption, style, parent);
}

wxString LayerName(const ValueLayerChoice& choice) {
    const ValueLayerDef* layer = FindValueLayer(choice.key);
    const wxString label = layer ? layer->label : "";
    return choice.tree.empty() ? label : label + " " + wxString::FromUTF8(choice.tree.c_str());
}

// The index of the layer to write; -1 when the user cancelled.
int AskLayer(wxWindow* parent, const GridExportHooks& hooks,
             const std::vector<ValueLayerChoice>& layers) {
    if (layers.size() == 1) {
        return 0;
    }
    wxArrayString names;
    for (const ValueLayerChoice& layer : layers) {
        names.Add(LayerName(layer));
    }
    if (hooks.chooseLayer) {
        return hooks.chooseLayer(kChooseMessage, names);
    }
    return wxGetSingleChoiceIndex(kChooseMessage, kCaption, names, parent);
}

// The file to write, with the ending of the chosen type when the name has
// none of the three.
std::string AskPath(wxWindow* parent, const GridExportHooks& hooks) {
    int filter = 0;
    wxString path;
    const long style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
    if (hooks.chooseFile) {
        path = hooks.chooseFile(kSaveMessage, kGridWildcard, style);
    } else {
        wxFileDialog dialog(parent, kSaveMessage, wxEmptyString, wxEmptyString, kGridWildcard,
                            style);
        if (dialog.ShowModal() == wxID_OK) {
            path = dialog.GetPath();
            filter = std::clamp(dialog.GetFilterIndex(), 0, 2);
        }
    }
    std::string chosen = Utf8(path);
    if (!chosen.empty() && !GridFormatOf(chosen)) {
        chosen += kFilterEndings[filter];
    }
    return chosen;
}

// Every read sees one state of the file, as a drawing's do.
bool MakeGrid(PlotFile& plot, const ValueLayerChoice& choice, ValueGrid& grid, std::string& error,
              PlotComparison* comparison) {
    Database database = plot.GetDatabase();
    if (!database.BeginReading()) {
        error = kFileBusy;
        return false;
    }
    const bool made = MakeValueGrid(plot, choice, grid, error, comparison);
    database.EndReading();
    return made;
}

}  // namespace

std::vector<ValueLayerChoice> TickedValueLayers(const std::vector<const LayerDef*>& ticked,
                                                const std::vector<wxString>& trees,
                                                bool comparing) {
    auto shows = [&ticked](LayerSource source) {
        return std::any_of(ticked.begin(), ticked.end(),
                           [source](const LayerDef* layer) { return layer->source == source; });
    };
    std::vector<ValueLayerChoice> layers;
    auto add = [&](LayerSource uptake, LayerSource count, LayerSource tree, const char* ending) {
        const std::string suffix = ending;
        if (shows(uptake)) {
            layers.push_back({"uptake" + suffix, "", "", ""});
        }
        if (shows(count)) {
            layers.push_back({"count" + suffix, "", "", ""});
        }
        if (shows(tree)) {
            for (const wxString& label : trees) {
                layers.push_back({"tree" + suffix, Utf8(label), "", ""});
            }
        }
    };
    add(LayerSource::Uptake, LayerSource::TreeCount, LayerSource::TreeUptake, "");
    if (comparing) {
        add(LayerSource::UptakeDiff, LayerSource::CountDiff, LayerSource::TreeDiff, "-diff");
    }
    return layers;
}

void ExportGrid(wxWindow* parent, PlotFile& plot, const std::vector<ValueLayerChoice>& layers,
                const GridExportHooks& hooks, PlotComparison* comparison) {
    Log(LOG_RUN, "Grid export chosen.");
    if (layers.empty()) {
        Inform(parent, hooks, kNothingTicked, wxOK | wxICON_INFORMATION);
        return;
    }
    const int chosen = AskLayer(parent, hooks, layers);
    const std::string path = chosen < 0 ? std::string() : AskPath(parent, hooks);
    if (path.empty()) {
        return;
    }
    ValueGrid grid;
    std::string error;
    if (!MakeGrid(plot, layers[size_t(chosen)], grid, error, comparison) ||
        !WriteGridFile(path, grid, nullptr, error)) {
        Inform(parent, hooks,
               wxString::Format("The grid could not be written: %s.",
                                wxString::FromUTF8(error.c_str())),
               wxOK | wxICON_ERROR);
        return;
    }
    const std::string warning = ProjectionWarning(path, false);
    if (!warning.empty()) {
        Inform(parent, hooks, wxString::FromUTF8(("The grid was written, but " + warning).c_str()),
               wxOK | wxICON_WARNING);
    }
}
