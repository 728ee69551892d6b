// The export command line that redraws a picture of the window, as Edit >
// Copy View as Command gives it: a user pastes it into a terminal or a script
// to make the same figure again.
#pragma once

#include <string>

#include "render/PictureRequest.h"

// "quenvar --export OUT --size WxH --view ... FILE" with every option the
// picture needs (layers, stems, palette, ranges, shape); words a shell would
// split or expand are quoted. The view is written exactly, so the export
// draws the very same pixels.
std::string ViewCommandText(const PictureRequest& picture, const std::string& databasePath,
                            const std::string& output);

// A word as a POSIX shell reads it back unchanged.
std::string ShellWord(const std::string& word);
