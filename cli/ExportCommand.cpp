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
#include <memory>

#include "base/PendingFile.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "db/Database.h"
#include "db/PlotLabels.h"
#include "render/ColorSettings.h"
#include "render/Composer.h"
#include "render/Legend.h"
#include "render/LegendDrawing.h"
#include "render/RenderHelper.h"

namespace {

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
    return CheckPlotRequest(request.databasePath, request.picture.stems, error) &&
           CheckOutputPath(request.outputPath, "the picture", "the database file",
                           {request.databasePath}, error);
}

namespace {

std::vector<wxString> ExportTrees(RenderHelper& helper, const PictureRequest& request) {
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

// What the request shows of the helper's plot; its stems are highlighted
// and its colour scale taken.
Scene RequestedScene(RenderHelper& helper, const PictureRequest& request) {
    for (const std::string& stem : request.stems) {
        helper.AddHighlightedStem(wxString::FromUTF8(stem.c_str()));
    }
    ApplyPaletteOption(request.palette, *colorSettings);
    ApplyRangeOptions(request, *colorSettings);
    Scene scene;
    scene.layers = request.layers;
    scene.trees = ExportTrees(helper, request);
    scene.view = request.view.value_or(helper.GetView());
    scene.width = request.width;
    scene.height = request.height;
    return scene;
}

// The picture the request asks of the helper's plot, with the legend strip
// at its right when asked for; invalid when it cannot be drawn.
wxBitmap DrawRequest(RenderHelper& helper, const PictureRequest& request, const Scene& scene) {
    // The legend takes a strip at the right; the map keeps the rest.
    const int strip =
        request.legend ? LegendStripWidth(
                             BuildLegend(helper, scene.layers, scene.trees, *colorSettings, false),
                             request.width)
                       : 0;
    Scene map = scene;
    map.width = request.width - strip;
    const wxBitmap picture = ComposePicture(helper, map);
    if (strip == 0) {
        return picture;
    }
    return WithLegendStrip(picture, BuildLegend(helper, scene.layers, scene.trees, *colorSettings),
                           strip);
}

// The PNG file of a picture, or an empty buffer when it cannot be encoded.
std::vector<char> EncodePng(const wxBitmap& picture) {
    wxMemoryOutputStream png;
    bool encoded = false;
    if (picture.IsOk()) {
        // The toolkit would report a failure on its own; it is reported once, by the caller.
        wxLogNull quiet;
        encoded = picture.ConvertToImage().SaveFile(png, wxBITMAP_TYPE_PNG);
    }
    std::vector<char> bytes(encoded ? png.GetSize() : 0);
    png.CopyTo(bytes.data(), bytes.size());
    return bytes;
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

    auto plot = std::make_unique<PlotFile>(wxString::FromUTF8(request.databasePath.c_str()),
                                           ProgressMonitor(0, 0));
    const PlotOpening& opening = plot->GetOpening();
    if (!opening.IsOpen()) {
        error = Utf8(opening.problem);
        return false;
    }
    if (opening.status == PlotOpening::Status::Partial) {
        warning = Utf8(opening.problem);
    }
    for (const std::string& note : plot->GetDataWarnings()) {
        Report("warning: " + note);
    }
    RenderHelper helper(std::move(plot));
    const PictureRequest& wanted = request.picture;
    const Scene scene = RequestedScene(helper, wanted);
    const wxBitmap drawn = DrawRequest(helper, wanted, scene);
    if (missingLayers) {
        *missingLayers = MissingLayers(helper.GetPlot(), scene);
    }
    if (warning.empty()) {
        warning = Utf8(helper.GetPlot().GetTreeSetProblem());
    }
    const std::vector<char> png = EncodePng(drawn);
    if (png.empty()) {
        error = "cannot draw a picture of " + std::to_string(wanted.width) + "x" +
                std::to_string(wanted.height) + " pixels";
        return false;
    }
    return picture.Write(png.data(), png.size(), error);
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
