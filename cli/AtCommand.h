// `quenvar --at X,Y`: what the plot holds at one point, as text for scripts.
#pragma once

#include "cli/CommandLine.h"

// Opens the file as the export does (building or reusing the index tables)
// and prints the reading on standard output. Needs no display and runs none
// of the window's start-up. Returns the exit code: 0 when the point was
// read, 2 with one line on standard error otherwise.
int RunAtCommand(const AtRequest& request);
