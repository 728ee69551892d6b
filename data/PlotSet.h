// The two plot-wide grid sets of an open plot, each kept in an index table
// of the file.
#pragma once

enum class PlotSet { Uptake, TreeCount };
