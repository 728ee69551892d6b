#include "cli/ExportCommand.h"

#include <wx/log.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/PendingFile.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "cli/CommandPlot.h"
#include "cli/SeriesExport.h"
#include "data/PlotComparison.h"
#include "db/Database.h"
#include "db/PlotLabels.h"
#include "render/Canvas.h"
#include "render/Composer.h"
#include "render/Legend.h"
#include "render/LegendDrawing.h"
#include "render/PlotPainter.h"
#include "render/VectorPage.h"

namespace {

void Report(const std::string& message) {
    std::fprintf(stderr, "quenvar: %s\n", message.c_str());
}

// Without a window to show it in, an assert of the toolkit's library is
// reported and passed over.
void ReportAssert(const wxString& file, int line, const wxString& function,
                  const wxString& condition, const wxString& message) {
    std::fprintf(stderr, "quenvar: toolkit assert in %s (%s:%d): %s %s\n",
                 function.utf8_str().data(), file.utf8_str().data(), line,
                 condition.utf8_str().data(), message.utf8_str().data());
}

}  // namespace

bool CheckExportInput(const ExportRequest& request, std::string& error) {
    return CheckPlotRequest(request.databasePath, request.picture.stems, error) &&
           (request.picture.comparePath.empty() ||
            CheckPlotRequest(request.picture.comparePath, {}, error)) &&
           CheckOutputPath(request.outputPath, "the picture", "the database file",
                           {request.databasePath, request.picture.comparePath}, error);
}

namespace {

std::vector<wxString> ExportTrees(PlotFile& plot, const PictureRequest& request) {
    // Only trees with a grid column have a row in the window's stem list, and
    // only those rows get tree layers there.
    std::vector<wxString> trees;
    const std::vector<wxString> treeNames = plot.GetTreeNames();
    for (const std::string& stem : request.stems) {
        const wxString label = wxString::FromUTF8(stem.c_str());
        if (std::find(treeNames.begin(), treeNames.end(), label) != treeNames.end()) {
            trees.push_back(label);
        }
    }
    return trees;
}

// What the request shows of the painter's plot, in the picture's own
// pixels; its stems are highlighted.
Scene RequestedScene(PlotPainter& painter, const PictureRequest& request) {
    for (const std::string& stem : request.stems) {
        painter.AddHighlightedStem(wxString::FromUTF8(stem.c_str()));
    }
    painter.SetFrameShape(request.shape);
    Scene scene;
    scene.layers = request.layers;
    scene.trees = ExportTrees(painter.GetPlot(), request);
    for (const std::string& group : request.groups) {
        scene.groups.push_back(wxString::FromUTF8(group.c_str()));
    }
    scene.view = request.view.value_or(painter.GetView());
    scene.width = request.width * request.scale;
    scene.height = request.height * request.scale;
    return scene;
}

// The file of the picture the request asks of the painter's plot, in the
// format its name asks for, with the legend strip at its right when asked
// for; empty when it cannot be drawn.
std::string DrawRequest(PlotPainter& painter, const PictureStyle& style,
                        const ExportRequest& request, const Scene& scene) {
    const PictureRequest& wanted = request.picture;
    // The legend takes a strip at the right; the map keeps the rest. Its
    // width is known before the trees' colours are.
    const int strip = wanted.legend
                          ? LegendStripWidth(BuildLegend(painter, scene.layers, scene.trees, style,
                                                         false, scene.groups),
                                             wanted.width)
                          : 0;
    const int scale = wanted.scale;
    Scene map = scene;
    map.width = (wanted.width - strip) * scale;
    auto legend = [&] {
        return BuildLegend(painter, scene.layers, scene.trees, style, true, scene.groups);
    };
    const PictureFormat format = FormatOfPath(request.outputPath);
    if (format != PictureFormat::Png) {
        return DrawVectorPage(
            format, scene.width, scene.height, style.textScale,
            [&](Canvas& page) {
                ComposeVector(painter, map, style, page);
                if (strip > 0) {
                    DrawLegendStrip(page, legend(), wanted.width - strip, strip, scale);
                }
            },
            scale);
    }
    LayerImage picture(scene.width, scene.height, false);
    ComposeOnto(painter, map, style, picture);
    if (strip > 0 && picture.IsOk()) {
        cairo_t* context = cairo_create(picture.Surface());
        {
            Canvas canvas(context, scene.width, scene.height, style.textScale, scale);
            DrawLegendStrip(canvas, legend(), wanted.width - strip, strip, scale);
        }
        cairo_destroy(context);
    }
    return EncodePng(picture);
}

// A table that could not be written after all leaves its layers empty, as
// they are when it cannot be built at the opening: the picture is drawn
// again without them and takes the place of the first.
bool RedrawWithout(PlotPainter& painter, const PictureStyle& style, const ExportRequest& request,
                   const Scene& scene, std::string& error) {
    const std::string drawn = DrawRequest(painter, style, request, scene);
    PendingFile again(request.outputPath);
    if (drawn.empty()) {
        error = "cannot draw a picture of " + std::to_string(request.picture.width) + "x" +
                std::to_string(request.picture.height) + " pixels";
        return false;
    }
    return again.Create(error) && again.Write(drawn.data(), drawn.size(), error) &&
           again.Publish(true, error);
}

}  // namespace

// The plot the request compares with, opened as the export opens its own,
// and the comparison; none without --compare. False with the reason.
bool OpenComparison(const ExportRequest& request, PlotFile& plot, std::unique_ptr<PlotFile>& other,
                    std::unique_ptr<PlotComparison>& comparison, std::string& error) {
    if (request.picture.comparePath.empty()) {
        return true;
    }
    other = std::make_unique<PlotFile>(wxString::FromUTF8(request.picture.comparePath.c_str()),
                                       ProgressMonitor(0, 0));
    if (!other->GetOpening().IsOpen()) {
        error = Utf8(other->GetOpening().problem);
        return false;
    }
    comparison = PlotComparison::Make(plot, *other, error);
    return comparison != nullptr;
}

bool ExportPicture(const ExportRequest& request, std::string& error, std::string& warning,
                   std::vector<std::string>* missingLayers,
                   const std::shared_ptr<TreeColors>& treeColors) {
    if (!CheckExportInput(request, error)) {
        return false;
    }
    // The picture goes to a temporary file beside its destination and takes
    // the destination's name only once it is complete, so that a failed
    // export leaves no picture behind (and an earlier one of that name
    // untouched). It is claimed before the database is opened: an unwritable
    // destination must not cost the file its index tables for nothing.
    PendingFile picture(request.outputPath);
    if (!picture.Create(error)) {
        return false;
    }

    // The plot-wide index tables a first opening builds are written after
    // the picture, which needs only their rows in memory.
    auto plot = std::make_unique<PlotFile>(wxString::FromUTF8(request.databasePath.c_str()),
                                           ProgressMonitor(0, 0), LookupIndexes::TableLater);
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
    if (!ApplyGrouping(*plot, request.picture.groupBy, request.picture.groups, error)) {
        return false;
    }
    std::unique_ptr<PlotFile> other;
    std::unique_ptr<PlotComparison> comparison;
    if (!OpenComparison(request, *plot, other, comparison, error)) {
        return false;
    }
    PlotPainter painter(*plot);
    painter.SetComparison(comparison.get());
    const PictureRequest& wanted = request.picture;
    const Scene scene = RequestedScene(painter, wanted);
    PictureStyle style = RequestStyle(wanted);
    if (treeColors) {
        style.treeColors = treeColors;
    }
    const std::string drawn = DrawRequest(painter, style, request, scene);
    if (warning.empty()) {
        warning = Utf8(plot->GetTreeSetProblem());
    }
    if (warning.empty()) {
        warning = Utf8(plot->GetDerivedProblem());
    }
    if (drawn.empty()) {
        error = "cannot draw a picture of " + std::to_string(wanted.width) + "x" +
                std::to_string(wanted.height) + " pixels";
        return false;
    }
    if (!picture.Write(drawn.data(), drawn.size(), error) || !picture.Publish(true, error)) {
        return false;
    }
    // The picture is there first: the index tables and lookup indexes a
    // first opening leaves for later are made before the export ends, for
    // the openings after it.
    const size_t missingBefore = plot->GetOpening().missing.size();
    plot->FinishLookupIndexes();
    if (plot->GetOpening().missing.size() != missingBefore) {
        warning = Utf8(plot->GetOpening().problem);
        if (!RedrawWithout(painter, style, request, scene, error)) {
            return false;
        }
    }
    if (missingLayers) {
        *missingLayers = MissingLayers(*plot, scene);
    }
    return true;
}

int RunExportCommand(const ExportRequest& request) {
    // The pictures are drawn through cairo: the toolkit's windowing is never
    // started, so no display is needed.
    wxSetAssertHandler(ReportAssert);
    if (!request.series.empty()) {
        return RunSeriesExport(request);
    }
    std::string error;
    if (!CheckExportInput(request, error)) {
        Report(error);
        return 2;
    }
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
    delete wxLog::SetActiveTarget(nullptr);
    if (!written) {
        return 2;
    }
    return missing.empty() ? 0 : 3;
}
