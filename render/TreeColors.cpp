#include "render/TreeColors.h"

#include <cstdlib>

namespace {

wxColour Visible(const wxColour& color) {
    const bool black = color.Red() == 0 && color.Green() == 0 && color.Blue() == 0;
    return black ? wxColour(1, 1, 1, color.Alpha()) : color;
}

}  // namespace

wxColour TreeColors::Get(const wxString& tree) {
    auto found = colors.find(tree);
    if (found == colors.end()) {
        // Three successive draws of the shared generator: red, green, blue.
        int red = std::rand() % 255;
        int green = std::rand() % 255;
        int blue = std::rand() % 255;
        found = colors.emplace(tree, Visible(wxColour(red, green, blue, 255))).first;
    }
    return found->second;
}

void TreeColors::Set(const wxString& tree, const wxColour& color) {
    colors[tree] = Visible(color);
}
