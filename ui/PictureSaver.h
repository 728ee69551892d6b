// "Save Current Image": the map as the window shows it, written as PNG, or
// as an SVG or PDF figure of the same picture, as the file's name asks.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include "render/Composer.h"
#include "render/PictureStyle.h"

class LayerCache;
class PlotPainter;

// The choices of the save dialog, in the order of the formats' filters.
extern const char* const kPictureWildcard;

// The name as the user gave it, with the extension of the filter chosen in
// the dialog added when the name asks for none of the three formats and
// that filter is not PNG's (a name without one has always meant PNG).
wxString WithChosenExtension(const wxString& path, int filterIndex);

// Writes the window's picture: the composite itself as PNG, or the scene it
// shows drawn in its style on a vector page of the composite's size, its
// clouds from the cache so that their dots are the window's. False with the
// reason in error.
bool SavePicture(const wxString& path, const wxBitmap& composite, PlotPainter& painter, Scene scene,
                 const PictureStyle& style, const LayerCache& cache, wxString& error);
