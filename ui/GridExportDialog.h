// File > Export Grid...: the values of a ticked value layer over the whole
// plot, written as a grid file for GIS programs, R and Python (GeoTIFF, ESRI
// ASCII grid or CSV), as `quenvar grid` writes it.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <functional>
#include <vector>

#include "data/ValueLayers.h"
#include "render/LayerTable.h"

class PlotComparison;
class PlotFile;
class wxWindow;

struct GridExportHooks {
    // Answers a file dialog (message, wildcard, style); empty when
    // cancelled. Without it the toolkit's dialog asks the user.
    std::function<wxString(const wxString&, const wxString&, long)> chooseFile;
    // Answers the choice between several layers (message, choices) with the
    // index chosen, or -1. Without it the toolkit's dialog asks.
    std::function<int(const wxString&, const wxArrayString&)> chooseLayer;
    // Shows a message (text, caption, style). Without it a message box does.
    std::function<void(const wxString&, const wxString&, long)> inform;
};

// The value layers the ticked layers show, each once: the total uptake, the
// tree count, then a selected tree's uptake for each tree (in selection
// order) when one of its own layers is ticked; then, while comparing, the
// changes in the same order.
std::vector<ValueLayerChoice> TickedValueLayers(const std::vector<const LayerDef*>& ticked,
                                                const std::vector<wxString>& trees,
                                                bool comparing = false);

// Asks which of the layers (when there are several) and where, then writes
// the grid; says why when nothing could be written.
void ExportGrid(wxWindow* parent, PlotFile& plot, const std::vector<ValueLayerChoice>& layers,
                const GridExportHooks& hooks, PlotComparison* comparison = nullptr);
