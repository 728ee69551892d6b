// The command `quenvar import GRID STEMS OUT.db [--force]`.
#pragma once

#include "cli/CommandLine.h"

// Imports, lists the warnings and any error on standard error, and says
// what was written on standard output. Returns the exit code: 0 when the
// plot file was written, 2 otherwise. Needs no display.
int RunImportCommand(const ImportRequest& request);
