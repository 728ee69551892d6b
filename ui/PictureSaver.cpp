#include "ui/PictureSaver.h"

#include <wx/filename.h>
#include <wx/log.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include "base/PendingFile.h"
#include "base/Text.h"
#include "render/PlotPainter.h"
#include "render/VectorPage.h"

const char* const kPictureWildcard =
    "PNG Files (*.png)|*.png|SVG Files (*.svg)|*.svg|PDF Files (*.pdf)|*.pdf";

namespace {

const char* const kFilterExtensions[] = {"png", "svg", "pdf"};

// Under a temporary name first, so that a failed save leaves an earlier
// file of that name as it was.
bool WriteBytes(const wxString& path, const std::string& bytes, wxString& error) {
    PendingFile file(Utf8(path));
    std::string message;
    if (!file.Create(message) || !file.Write(bytes.data(), bytes.size(), message) ||
        !file.Publish(true, message)) {
        // The cause alone: the caller's message names the file already.
        error = wxString::FromUTF8(std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace

wxString WithChosenExtension(const wxString& path, int filterIndex) {
    const wxString extension = wxFileName(path).GetExt().Lower();
    for (const char* known : kFilterExtensions) {
        if (extension == known) {
            return path;
        }
    }
    if (filterIndex <= 0 || filterIndex >= int(std::size(kFilterExtensions))) {
        return path;
    }
    return path + "." + kFilterExtensions[filterIndex];
}

bool SavePicture(const wxString& path, const wxBitmap& composite, PlotPainter& painter, Scene scene,
                 const PictureStyle& style, const LayerCache& cache, wxString& error) {
    const PictureFormat format = FormatOfPath(Utf8(path));
    if (format == PictureFormat::Png) {
        // The toolkit would report a failure in a dialog of its own; it is said once, by the
        // caller.
        wxLogNull quiet;
        if (!composite.SaveFile(path, wxBITMAP_TYPE_PNG)) {
            error = "the PNG file could not be made";
            return false;
        }
        return true;
    }
    scene.width = composite.GetWidth();
    scene.height = composite.GetHeight();
    const std::string bytes = DrawVectorPage(
        format, scene.width, scene.height, style.textScale,
        [&](Canvas& page) { ComposeVector(painter, scene, style, page, &cache); },
        style.pixelRatio);
    if (bytes.empty()) {
        error = "the figure could not be drawn";
        return false;
    }
    return WriteBytes(path, bytes, error);
}
