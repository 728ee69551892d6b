// The values of the command line's options, read and checked. Each returns
// false with a message naming the option when its value cannot be used.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "render/PictureRequest.h"

bool ParseSize(const std::string& text, PictureRequest& request, std::string& error);
// --scale: a whole number from 1 to kMaxPictureScale.
bool ParseScale(const std::string& text, PictureRequest& request, std::string& error);
bool ParseLayers(const std::string& text, PictureRequest& request, std::string& error);
// --stems, and --trees of the stats (noun "tree"): each label once, in order.
bool ParseLabels(const std::string& option, const char* noun, const std::string& text,
                 std::vector<std::string>& stems, std::string& error);
bool ParseView(const std::string& text, PictureRequest& request, std::string& error);
bool ParsePalette(const std::string& text, PaletteOption& palette, std::string& error);
// FAMILY=MIN,MAX; each family once.
bool ParseRange(const std::string& text, PictureRequest& request, std::string& error);
bool ParsePoint(const std::string& text, AtRequest& request, std::string& error);
