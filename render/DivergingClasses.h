// The classes of a difference between two plots: gains and losses on a
// range symmetric about 0, half the palette for each, so that they never
// share a colour and equal changes either way take mirrored colours. The
// class rule applies to the size of the change.
#pragma once

#include <optional>

#include "render/ValueClasses.h"

class DivergingClasses final : public Classifier {
  public:
    // classes: even, half of them for losses (the first) and half for gains.
    // fixed: a range whose larger end's size bounds the changes; none takes
    // the largest change of the set.
    DivergingClasses(ClassRule rule, int classes, const ValueDistribution& values,
                     const std::optional<ValueRange>& fixed);

    ClassRule Rule() const override { return rule; }
    bool OwnRule() const override { return true; }
    int Count() const override { return 2 * half; }
    // A change of 0 is in no class: it is not drawn.
    int ClassOf(double value) const override;
    double Position(double value) const override;
    double ValueAt(double position) const override;
    Bounds ClassBounds(int k) const override;

  private:
    ClassRule rule;
    int half;
    double largest = 0.0;  // the range's reach on either side of 0
    bool fixedRange = false;
    std::optional<ValueClasses> sizes;  // of the changes' sizes, half classes
};
