// The colour of each group of trees, fixed by its place in the grouping, so
// that a group has the same colour in every picture of the same grouping,
// whatever was drawn before: ten colours readers tell apart well, then hues
// spread evenly around the colour wheel. Never black, the transparent colour.
#pragma once

#include <wx/colour.h>

wxColour GroupColor(int index);
