// A fixed span of values that the colour scale of a value layer covers, so
// that two trees or two plots can be compared by colour, the rules that
// put values into the scale's classes, and the families of layers that each
// take one of each.
#pragma once

#include <optional>

// MIN below MAX; values outside take the end colours.
struct ValueRange {
    double min;
    double max;
};

// Total uptake, tree count, and the single trees (one range serves every
// tree), their changes from one plot to a compared one, and the groups of
// trees (one range serves every group).
enum class RangeFamily { Uptake, TreeCount, Tree, UptakeDiff, CountDiff, TreeDiff, Group };
constexpr int kRangeFamilyCount = 7;

// Whether the family is one of changes between two plots.
inline bool IsChangeFamily(RangeFamily family) {
    return family == RangeFamily::UptakeDiff || family == RangeFamily::CountDiff ||
           family == RangeFamily::TreeDiff;
}

// How values fall into the classes (colours) of a scale: equal steps of
// the range, as many values in each class, or equal steps of the logarithm.
enum class ClassRule { Equal, Quantile, Log };

// The palette index of a value on a fixed range: trunc((v - MIN) * n / (MAX
// - MIN)), neither end truncated to a whole number, clamped to 0 .. n - 1;
// -1 for an empty palette.
int FixedPaletteIndex(double value, const ValueRange& range, int paletteSize);
