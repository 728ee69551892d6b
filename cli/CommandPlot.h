// The opening of a plot file by the commands that read it without drawing.
#pragma once

#include <memory>
#include <string>
#include <vector>

class PlotFile;

// Opens the plot at path as the export opens it. A refusal is said on
// standard error and gives null; a partial opening and the file's data
// warnings (texts that are not numbers) are said there as warnings.
std::unique_ptr<PlotFile> OpenPlotToRead(const std::string& path);

// Groups the plot's trees by the stem column (none when empty) and checks
// that each of the groups is one of them; false with one line in error that
// names the file and, for an unknown group, the groups there are.
bool ApplyGrouping(PlotFile& plot, const std::string& column,
                   const std::vector<std::string>& groups, std::string& error);

// "quenvar: MESSAGE" on standard error.
void ReportToUser(const std::string& message);
