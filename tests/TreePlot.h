// The small plot of the window tests.
#pragma once

#include <string>

// A 10 x 10 plot at 1-unit cells with trees T1 (2, 2), T2 (7, 3) and T3
// (5, 8) that draw uptake, and a fourth stem T4 (9, 9) without a grid column
// (so without a row in the stem list).
void MakeTreePlot(const std::string& path);
