// Pictures as vector figures: an SVG or PDF page drawn through cairo with the
// same calls as a picture's pixels, for papers that ask for vector figures.
#pragma once

#include <functional>
#include <string>

class Canvas;

// The kinds of picture file, told apart by the file's name.
enum class PictureFormat { Png, Svg, Pdf };

// SVG for a name ending in ".svg", PDF for ".pdf" (in any case), PNG for
// every other name.
PictureFormat FormatOfPath(const std::string& path);

// The bytes of an SVG or PDF file of one page, width x height (a pixel of
// the picture is a point of the PDF and a pixel of the SVG), black, with
// what draw puts on it. Empty when the page cannot be made.
// Text is scaled by textScale and pixelRatio, and the pen is pixelRatio wide,
// as on a picture's pixels.
std::string DrawVectorPage(PictureFormat format, int width, int height, double textScale,
                           const std::function<void(Canvas&)>& draw, double pixelRatio = 1.0);
