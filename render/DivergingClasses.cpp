#include "render/DivergingClasses.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The sizes of the changes, ascending.
std::shared_ptr<const std::vector<double>> Sizes(const ValueDistribution& values) {
    auto sizes = std::make_shared<std::vector<double>>();
    if (values.sorted) {
        for (double value : *values.sorted) {
            sizes->push_back(std::fabs(value));
        }
    }
    std::sort(sizes->begin(), sizes->end());
    return sizes;
}

}  // namespace

DivergingClasses::DivergingClasses(ClassRule rule, int classes, const ValueDistribution& values,
                                   const std::optional<ValueRange>& fixed)
    : rule(rule), half(std::max(1, classes / 2)), fixedRange(fixed.has_value()) {
    const std::shared_ptr<const std::vector<double>> sorted = Sizes(values);
    largest = fixed ? std::max(std::fabs(fixed->min), std::fabs(fixed->max))
                    : std::max(std::fabs(values.minimum), std::fabs(values.maximum));
    const double smallest = sorted->empty() ? 0.0 : sorted->front();
    // Equal steps run from no change to the largest; quantiles count the
    // changes within reach; log steps start at the smallest change.
    std::optional<ValueRange> span;
    if (rule == ClassRule::Equal) {
        span = ValueRange{0.0, largest};
    } else if (fixed) {
        span = ValueRange{rule == ClassRule::Log ? smallest : 0.0, largest};
    }
    sizes.emplace(rule, half, ValueDistribution{smallest, largest, sorted}, span);
}

int DivergingClasses::ClassOf(double value) const {
    if (value == 0.0 || !(largest > 0.0)) {
        return -1;
    }
    const int size = std::max(0, sizes->ClassOf(std::fabs(value)));
    return value > 0.0 ? half + size : half - 1 - size;
}

double DivergingClasses::Position(double value) const {
    const double size = sizes->Position(std::fabs(value)) / 2;
    return value >= 0.0 ? 0.5 + size : 0.5 - size;
}

double DivergingClasses::ValueAt(double position) const {
    const double size = sizes->ValueAt(std::fabs(position - 0.5) * 2);
    return position >= 0.5 ? size : -size;
}

Classifier::Bounds DivergingClasses::ClassBounds(int k) const {
    const bool gain = k >= half;
    const int step = gain ? k - half : half - 1 - k;
    Bounds size;
    if (rule == ClassRule::Equal) {
        size.low = largest * step / half;
        size.high = largest * (step + 1) / half;
        size.openAbove = fixedRange && step == half - 1;
    } else {
        size = sizes->ClassBounds(step);
        size.openBelow = false;  // the smallest changes are never beyond reach
        size.openAbove = fixedRange && step == half - 1;
    }
    Bounds bounds = size;
    if (!gain) {
        bounds.low = -size.high;
        bounds.high = -size.low;
        bounds.openBelow = size.openAbove;
        bounds.openAbove = false;
    }
    return bounds;
}
