// The opening of a plot file by the commands that read it without drawing.
#pragma once

#include <memory>
#include <string>

class PlotFile;

// Opens the plot at path as the export opens it. A refusal is said on
// standard error and gives null; a partial opening and the file's data
// warnings (texts that are not numbers) are said there as warnings.
std::unique_ptr<PlotFile> OpenPlotToRead(const std::string& path);

// "quenvar: MESSAGE" on standard error.
void ReportToUser(const std::string& message);
