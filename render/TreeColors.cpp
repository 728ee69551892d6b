#include "render/TreeColors.h"

#include <cstdlib>

wxColour TreeColors::Get(const wxString& tree) {
    auto found = colors.find(tree);
    if (found == colors.end()) {
        // Three successive draws of the shared generator: red, green, blue.
        int red = std::rand() % 255;
        int green = std::rand() % 255;
        int blue = std::rand() % 255;
        found = colors.emplace(tree, wxColour(red, green, blue, 255)).first;
    }
    return found->second;
}

void TreeColors::Set(const wxString& tree, const wxColour& color) {
    colors[tree] = color;
}
