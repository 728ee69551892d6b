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
// FAMILY=RULE; each family once.
bool ParseClasses(const std::string& text, PictureRequest& request, std::string& error);
// A family with log classes needs a fixed range above 0, whichever option came first.
bool CheckLogRanges(const PictureRequest& request, std::string& error);
// --groups needs --group-by, and so do the layers of groups.
bool CheckGrouping(const PictureRequest& request, std::string& error);
// --compare: the name of the plot file to compare with.
bool ParseComparePath(const std::string& text, std::string& error);
// -j: the number of files drawn at once, 1 or more.
bool ParseJobs(const std::string& text, int& jobs, std::string& error);
// A series' pictures: {name} in the output names each after its file, and
// no two may end up with one name.
bool CheckSeriesOutputs(const ExportRequest& request, std::string& error);
// The output of one file of a series: {name} replaced by the file's name
// without its folder and without ".db".
std::string SeriesOutput(const std::string& pattern, const std::string& databasePath);
// The change layers draw the changes to a compared plot, which they need.
bool CheckChangeLayers(const PictureRequest& request, std::string& error);
// The names of the families and the class rules on the command line.
const char* FamilyName(RangeFamily family);
const char* RuleName(ClassRule rule);
bool ParsePoint(const std::string& text, AtRequest& request, std::string& error);
