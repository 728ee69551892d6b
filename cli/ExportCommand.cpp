#include "cli/ExportCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "base/PendingFile.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "db/Database.h"
#include "db/PlotLabels.h"
#include "render/ColorSettings.h"
#include "render/LayerStack.h"
#include "render/Legend.h"
#include "render/LegendDrawing.h"
#include "render/RenderHelper.h"

namespace {

bool CheckOutput(const ExportRequest& request, std::string& error) {
    std::error_code code;
    const std::filesystem::path output(request.outputPath);
    if (std::filesystem::is_directory(output, code)) {
        error = "cannot write " + Quoted(request.outputPath) + ": it is a folder";
        return false;
    }
    if (std::filesystem::equivalent(output, request.databasePath, code)) {
        error = "will not write the picture over the database file " + Quoted(request.databasePath);
        return false;
    }
    return true;
}

// The picture goes to a temporary file beside its destination and takes the
// destination's name only once it is complete, so that a failed export leaves
// no PNG behind (and an earlier picture of that name untouched).
class PictureFile {
  public:
    explicit PictureFile(const std::string& destination)
        : destination(destination), pending(destination) {}

    bool Open(std::string& error) { return pending.Create(error); }

    bool Write(const void* data, size_t size, std::string& error) {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t written = write(pending.Descriptor(), bytes, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = "cannot write " + Quoted(destination) + ": " + std::strerror(errno);
                return false;
            }
            bytes += written;
            size -= size_t(written);
        }
        return pending.Publish(true, error);
    }

  private:
    std::string destination;
    PendingFile pending;
};

// The chosen catalogue layers in compositing order, front (bottom) first.
std::vector<const CatalogueLayer*> ByPosition(std::vector<const CatalogueLayer*> layers) {
    std::stable_sort(
        layers.begin(), layers.end(),
        [](const CatalogueLayer* a, const CatalogueLayer* b) { return a->position < b->position; });
    return layers;
}

void Report(const std::string& message) {
    std::fprintf(stderr, "quenvar: %s\n", message.c_str());
}

// Without a window to show it in, a toolkit assert is reported and passed over.
void ReportAssert(const wxString& file, int line, const wxString& function,
                  const wxString& condition, const wxString& message) {
    std::fprintf(stderr, "quenvar: toolkit assert in %s (%s:%d): %s %s\n",
                 function.utf8_str().data(), file.utf8_str().data(), line,
                 condition.utf8_str().data(), message.utf8_str().data());
}

}  // namespace

bool CheckExportInput(const ExportRequest& request, std::string& error) {
    return CheckPlotRequest(request.databasePath, request.stems, error) &&
           CheckOutput(request, error);
}

void ApplyPaletteOption(PaletteOption palette, ColorSettings& settings) {
    switch (palette) {
        case PaletteOption::Unset:
            return;
        case PaletteOption::BuiltIn:
            settings.SetColorMap(ColorMap::None);
            settings.SetUseCustomColors(false);
            return;
        case PaletteOption::Viridis:
            settings.SetColorMap(ColorMap::Viridis);
            return;
        case PaletteOption::Cividis:
            settings.SetColorMap(ColorMap::Cividis);
            return;
    }
}

namespace {

std::vector<wxString> ExportTrees(RenderHelper& helper, const ExportRequest& request) {
    // Only trees with a grid column have a row in the window's stem list, and
    // only those rows get tree layers there.
    std::vector<wxString> trees;
    const std::vector<wxString> treeNames = helper.GetTreeNames();
    for (const std::string& stem : request.stems) {
        const wxString label = wxString::FromUTF8(stem.c_str());
        if (std::find(treeNames.begin(), treeNames.end(), label) != treeNames.end()) {
            trees.push_back(label);
        }
    }
    return trees;
}

// The requested layers the picture lacks because their index tables could
// not be built: "uptake-blocks", "tree-blocks (T1)".
std::vector<std::string> MissingLayers(RenderHelper& helper, const ExportRequest& request,
                                       const std::vector<wxString>& trees) {
    const UptakeGridData* uptake = helper.GetUptakeGrid();
    const NeighborGridData* count = helper.GetNeighborGrid();
    const bool uptakeMissing = uptake && !uptake->IsIndexReady();
    const bool countMissing = count && !count->IsIndexReady();
    std::vector<std::string> missing;
    for (const CatalogueLayer* layer : ByPosition(request.layers)) {
        if (layer->group == 2) {
            for (const wxString& tree : trees) {
                if (helper.TreeLayersFailed(tree)) {
                    missing.push_back(std::string(layer->key) + " (" + Utf8(tree) + ")");
                }
            }
            continue;
        }
        const uint32_t flag = layer->flag;
        const bool ofUptake =
            flag & (LAYER_UPTAKE_BLOCKS | LAYER_UPTAKE_CLOUDS | LAYER_UPTAKE_ISOLINES);
        const bool ofCount =
            flag & (LAYER_COUNT_BLOCKS | LAYER_COUNT_CLOUDS | LAYER_COUNT_ISOLINES);
        if ((ofUptake && uptakeMissing) || (ofCount && countMissing)) {
            missing.push_back(layer->key);
        }
    }
    return missing;
}

// Draws the layer bitmaps of the request at its size as the main window
// stacks them, bottom first: the chosen catalogue layers by position, each
// tree layer once per tree of trees, then the overlay of the chosen stems.
// Each bitmap goes to take as soon as it is drawn, so that a large picture
// never holds all its layers at once. The helper's view and highlighted stems
// must already be set.
void DrawExportLayers(RenderHelper& helper, const ExportRequest& request,
                      const std::vector<wxString>& trees,
                      const std::function<void(const wxBitmap&)>& take) {
    const int width = request.width;
    const int height = request.height;
    for (const CatalogueLayer* layer : ByPosition(request.layers)) {
        if (layer->group == 1) {
            take(ToAlphaBitmap(helper.RenderPlotLayers(layer->flag, width, height)));
            continue;
        }
        for (const wxString& tree : trees) {
            take(ToAlphaBitmap(helper.RenderStemLayers(layer->flag, tree, width, height)));
        }
    }
    take(helper.RenderPlotLayers(LAYER_HIGHLIGHT, width, height));
}

}  // namespace

bool ExportPicture(const ExportRequest& request, std::string& error, std::string& warning,
                   std::vector<std::string>* missingLayers) {
    if (!CheckExportInput(request, error)) {
        return false;
    }
    // Claimed before the database is opened: an unwritable destination must
    // not cost the file its index tables for nothing.
    PictureFile picture(request.outputPath);
    if (!picture.Open(error)) {
        return false;
    }
    if (!colorSettings) {
        colorSettings = new ColorSettings;
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
        wxImage::AddHandler(new wxPNGHandler);
    }

    RenderHelper helper(wxString::FromUTF8(request.databasePath.c_str()), ProgressMonitor(0, 0));
    switch (helper.GetOpenStatus()) {
        case RenderHelper::OpenStatus::NoPlotData:
            error = Utf8(helper.GetOpenProblem());
            if (error.empty()) {
                error = Quoted(request.databasePath) + " holds no plot data";
            }
            return false;
        case RenderHelper::OpenStatus::IndexFailed:
            warning = Utf8(helper.GetOpenProblem());
            break;
        case RenderHelper::OpenStatus::Loaded:
            break;
    }
    for (const std::string& note : helper.GetDataWarnings()) {
        Report("warning: " + note);
    }
    if (request.hasView) {
        helper.SetView(request.viewXMin, request.viewYMin, request.viewXMax, request.viewYMax);
    }
    for (const std::string& stem : request.stems) {
        helper.AddHighlightedStem(wxString::FromUTF8(stem.c_str()));
    }

    ApplyPaletteOption(request.palette, *colorSettings);

    // The legend takes a strip at the right; the map keeps the rest.
    std::vector<LegendLayer> legendLayers;
    for (const CatalogueLayer* layer : ByPosition(request.layers)) {
        legendLayers.push_back(
            {layer->group, uint32_t(layer->flag), wxString::FromUTF8(layer->label)});
    }
    const std::vector<wxString> trees = ExportTrees(helper, request);
    const int strip =
        request.legend
            ? LegendStripWidth(BuildLegend(helper, legendLayers, trees, *colorSettings, false),
                               request.width)
            : 0;
    ExportRequest mapRequest = request;
    mapRequest.width = request.width - strip;

    // Stacking the picture so far (opaque, of the same size) and the next
    // layer gives the pixels of stacking all layers at once.
    wxBitmap composite;
    DrawExportLayers(helper, mapRequest, trees, [&composite, &mapRequest](const wxBitmap& layer) {
        composite = StackLayers(composite.IsOk() ? std::vector<wxBitmap>{composite, layer}
                                                 : std::vector<wxBitmap>{layer},
                                mapRequest.width, mapRequest.height);
    });
    if (strip > 0) {
        composite = WithLegendStrip(
            composite, BuildLegend(helper, legendLayers, trees, *colorSettings), strip);
    }
    if (missingLayers) {
        *missingLayers = MissingLayers(helper, request, trees);
    }
    if (warning.empty()) {
        warning = Utf8(helper.GetTreeLayerProblem());
    }
    wxMemoryOutputStream png;
    bool encoded = false;
    if (composite.IsOk()) {
        // The toolkit would report a failure on its own; it is reported once, below.
        wxLogNull quiet;
        encoded = composite.ConvertToImage().SaveFile(png, wxBITMAP_TYPE_PNG);
    }
    if (!encoded) {
        error = "cannot draw a picture of " + std::to_string(request.width) + "x" +
                std::to_string(request.height) + " pixels";
        return false;
    }
    std::vector<char> bytes(png.GetSize());
    png.CopyTo(bytes.data(), bytes.size());
    return picture.Write(bytes.data(), bytes.size(), error);
}

int RunExportCommand(const char* programPath, const ExportRequest& request) {
    std::string error;
    if (!CheckExportInput(request, error)) {
        Report(error);
        return 2;
    }
    // The toolkit gets the program name only: the export's options are not its own.
    int argc = 1;
    char* argv[] = {const_cast<char*>(programPath), nullptr};
    wxLog::EnableLogging(false);
    const bool started = wxEntryStart(argc, argv);
    wxLog::EnableLogging(true);
    if (!started) {
        Report("cannot draw without a display: run the export under xvfb-run");
        return 2;
    }
    wxSetAssertHandler(ReportAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);

    std::string warning;
    std::vector<std::string> missing;
    const bool written = ExportPicture(request, error, warning, &missing);
    if (written && !missing.empty()) {
        // The picture is there, but not all that was asked for: say what is missing and why.
        std::string layers;
        for (const std::string& layer : missing) {
            layers += (layers.empty() ? "" : ", ") + layer;
        }
        Report(warning);
        Report(Quoted(request.outputPath) + " was written without the layers " + layers);
    } else if (!warning.empty()) {
        Report("warning: " + warning);
    }
    if (!written) {
        Report(error);
    }
    wxEntryCleanup();
    if (!written) {
        return 2;
    }
    return missing.empty() ? 0 : 3;
}
