// The batch export: the picture the viewer would show for a plot file, a set
// of layers, stems and a view, written as PNG, SVG or PDF without opening any
// window and without a display.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "render/TreeColors.h"

// Checks what can be known without the toolkit and without writing to the
// database: the file can be read, holds plot data and knows every stem.
// False with one line naming the problem in error.
bool CheckExportInput(const ExportRequest& request, std::string& error);

// Opens the file as the window does, draws and writes the picture in the
// format its name asks for. False with the reason in error when no picture was
// written; warning names a problem that still left a picture (for example
// index tables that a read-only file could not take), and missingLayers the
// requested layers it left empty ("uptake-blocks", "tree-blocks (T1)").
// Several pictures drawn at once share one tree colour book, filled before
// they begin.
bool ExportPicture(const ExportRequest& request, std::string& error, std::string& warning,
                   std::vector<std::string>* missingLayers = nullptr,
                   const std::shared_ptr<TreeColors>& treeColors = nullptr);

// The whole `quenvar --export` command: checks, draws and writes. Reports on
// standard error and returns the exit code: 0 when the picture holds every
// requested layer, 3 when it was written without layers whose index tables
// could not be built, 2 when no picture was written.
int RunExportCommand(const ExportRequest& request);
