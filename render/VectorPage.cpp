#include "render/VectorPage.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cctype>

#include "base/Version.h"
#include "render/Canvas.h"

namespace {

bool EndsWith(const std::string& path, const std::string& suffix) {
    if (path.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.rbegin(), suffix.rend(), path.rbegin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* NewPage(PictureFormat format, int width, int height, std::string& bytes) {
    if (format == PictureFormat::Svg) {
        cairo_surface_t* page =
            cairo_svg_surface_create_for_stream(AppendBytes, &bytes, width, height);
        // A pixel of the picture is a pixel of the figure, as large as the PNG.
        cairo_svg_surface_set_document_unit(page, CAIRO_SVG_UNIT_PX);
        return page;
    }
    cairo_surface_t* page = cairo_pdf_surface_create_for_stream(AppendBytes, &bytes, width, height);
    const std::string creator = std::string("Quenvar ") + kQuenvarVersion;
    cairo_pdf_surface_set_metadata(page, CAIRO_PDF_METADATA_CREATOR, creator.c_str());
    return page;
}

}  // namespace

PictureFormat FormatOfPath(const std::string& path) {
    if (EndsWith(path, ".svg")) {
        return PictureFormat::Svg;
    }
    if (EndsWith(path, ".pdf")) {
        return PictureFormat::Pdf;
    }
    return PictureFormat::Png;
}

std::string DrawVectorPage(PictureFormat format, int width, int height, double textScale,
                           const std::function<void(Canvas&)>& draw, double pixelRatio) {
    if (format == PictureFormat::Png || width < 1 || height < 1) {
        return std::string();
    }
    std::string bytes;
    cairo_surface_t* page = NewPage(format, width, height, bytes);
    cairo_t* context = cairo_create(page);
    {
        Canvas canvas(context, width, height, textScale, pixelRatio);
        // Black is the picture's background, not a transparent hole.
        canvas.FillBox(0, 0, width, height, wxColour(0, 0, 0));
        draw(canvas);
    }
    const bool drawn = cairo_status(context) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(context);
    cairo_surface_finish(page);
    const bool written = cairo_surface_status(page) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(page);
    return drawn && written ? bytes : std::string();
}
