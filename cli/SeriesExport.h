// `quenvar --export 'out/{name}.png' a.db b.db ...`: one picture for each
// plot file of a series, drawn several at once. Every picture gives a tree
// the same colour, and a family's range may span the values of all the
// files (--range FAMILY=common), so that the pictures share one scale.
#pragma once

#include "cli/CommandLine.h"

// The ranges the request asks to be common, spanning the values of every
// file that opens; the others are left as they are.
void TakeCommonRanges(ExportRequest& request);

// Draws every file; one that cannot be drawn is said with its name and
// reason, and the others are still written. Returns the exit code: 0 when
// every picture holds every requested layer, 3 when some lack layers, 2
// when some picture could not be written.
int RunSeriesExport(const ExportRequest& request);
