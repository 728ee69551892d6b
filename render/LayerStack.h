// Stacking layer bitmaps into one picture, as the viewer shows it and as a
// saved image holds it.
#pragma once

#include <wx/bitmap.h>

#include <vector>

// A picture of width x height: black, then every layer in order, bottom
// first, drawn at (0, 0) through its mask or alpha and scaled by the factors
// that stretch the first layer over the picture. Invalid layers are skipped.
wxBitmap StackLayers(const std::vector<wxBitmap>& layers, int width, int height);

// Puts one more layer over a picture that StackLayers made: afterwards the
// picture holds what StackLayers({picture, layer}) gives, changed in place
// where it can be (the layer's opaque pixels copied), which spares a copy
// of the whole picture per layer. The picture must not be shared.
void StackLayerOnto(wxBitmap& picture, const wxBitmap& layer);

// The same pixels with an alpha channel instead of a mask: alpha 0 exactly
// where the layer is transparent (masked or black), 255 elsewhere.
wxBitmap ToAlphaBitmap(const wxBitmap& masked);

// The same for a layer drawn without a mask that nothing else holds: its
// pixels are converted where they are, which spares the mask and a second
// picture. False, the layer unchanged, when its pixels cannot be reached so.
bool ConvertToAlpha(wxBitmap& drawn);
