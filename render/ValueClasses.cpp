#include "render/ValueClasses.h"

#include <algorithm>
#include <cmath>

#include "render/ColorSettings.h"

namespace {

const std::vector<double> kNoValues;

double Clamped(double t) {
    return t < 0.0 || std::isnan(t) ? 0.0 : (t > 1.0 ? 1.0 : t);
}

}  // namespace

ValueClasses::ValueClasses(ClassRule rule, int classes, const ValueDistribution& distribution,
                           const std::optional<ValueRange>& fixed)
    : rule(rule), n(classes), values(distribution), fixed(fixed) {
    const std::vector<double>& sorted = values.sorted ? *values.sorted : kNoValues;
    first = sorted.begin();
    last = sorted.end();
    if (fixed) {
        first = std::lower_bound(sorted.begin(), sorted.end(), fixed->min);
        last = std::upper_bound(first, sorted.end(), fixed->max);
    }
    const auto positive = std::upper_bound(sorted.begin(), sorted.end(), 0.0);
    logMin = fixed ? fixed->min : (positive != sorted.end() ? *positive : 0.0);
    logMax = fixed ? fixed->max : (positive != sorted.end() ? sorted.back() : 0.0);
}

int ValueClasses::ClassOf(double value) const {
    if (n <= 0) {
        return -1;
    }
    switch (rule) {
        case ClassRule::Quantile:
            return QuantileClass(value);
        case ClassRule::Log:
            return LogClass(value);
        case ClassRule::Equal:
            break;
    }
    return fixed ? FixedPaletteIndex(value, *fixed, n)
                 : PaletteIndex(value, values.minimum, values.maximum, n);
}

// class = min(n - 1, floor(n * L(v) / N)), L(v) the values strictly below v.
int ValueClasses::QuantileClass(double value) const {
    const long long count = last - first;
    if (count == 0 || (fixed && value < fixed->min)) {
        return 0;
    }
    if (fixed && value > fixed->max) {
        return n - 1;
    }
    const long long below = std::lower_bound(first, last, value) - first;
    return static_cast<int>(std::min<long long>(n - 1, n * below / count));
}

// class = trunc((ln v - ln MIN) * n / (ln MAX - ln MIN)), clamped; a value
// of 0 or below is in the first class.
int ValueClasses::LogClass(double value) const {
    if (!(value > 0.0) || !(logMin > 0.0)) {
        return 0;
    }
    const double span = std::log(logMax) - std::log(logMin);
    if (!(span > 0.0)) {
        return n - 1;  // one value: shown as the largest, as the equal rule does
    }
    const double index = (std::log(value) - std::log(logMin)) * n / span;
    return !(index >= 0.0) ? 0 : (index >= n ? n - 1 : static_cast<int>(index));
}

double ValueClasses::Position(double value) const {
    if (rule == ClassRule::Quantile) {
        return QuantilePosition(value);
    }
    if (rule == ClassRule::Log) {
        const double span = std::log(logMax) - std::log(logMin);
        if (!(value > 0.0) || !(logMin > 0.0)) {
            return 0.0;
        }
        return span > 0.0 ? Clamped((std::log(value) - std::log(logMin)) / span) : 1.0;
    }
    if (fixed) {
        return Clamped((value - fixed->min) / (fixed->max - fixed->min));
    }
    // The equal rule's own ends: the truncated minimum and range, or the
    // real ones for data in small units.
    const int minI = TruncInt(values.minimum);
    const int rangeI = TruncInt(values.maximum - minI);
    if (rangeI != 0) {
        return Clamped((value - minI) / rangeI);
    }
    const double range = values.maximum - values.minimum;
    return range > 0.0 && std::isfinite(range) ? Clamped((value - values.minimum) / range) : 1.0;
}

double ValueClasses::ValueAt(double position) const {
    const double t = Clamped(position);
    if (rule == ClassRule::Quantile) {
        const long long count = last - first;
        return count == 0 ? 0.0 : *(first + std::llround(t * (count - 1)));
    }
    if (rule == ClassRule::Log) {
        return logMin > 0.0 ? std::exp(std::log(logMin) + t * (std::log(logMax) - std::log(logMin)))
                            : 0.0;
    }
    if (fixed) {
        return fixed->min + t * (fixed->max - fixed->min);
    }
    const int minI = TruncInt(values.minimum);
    const int rangeI = TruncInt(values.maximum - minI);
    if (rangeI != 0) {
        return minI + t * rangeI;
    }
    const double range = values.maximum - values.minimum;
    return range > 0.0 ? values.minimum + t * range : values.maximum;
}

// The middle of the value's ranks among the counted values: the smallest
// value at 0, the largest at 1, ties together.
double ValueClasses::QuantilePosition(double value) const {
    const long long count = last - first;
    if (count <= 1) {
        return count == 1 && value >= *first ? 1.0 : 0.0;
    }
    const long long below = std::lower_bound(first, last, value) - first;
    const long long upTo = std::upper_bound(first, last, value) - first;
    const double rank = upTo > below ? (below + upTo - 1) / 2.0 : below - 0.5;
    return Clamped(rank / (count - 1));
}

ValueClasses::Bounds ValueClasses::ClassBounds(int k) const {
    return rule == ClassRule::Log ? LogBounds(k) : QuantileBounds(k);
}

ValueClasses::Bounds ValueClasses::QuantileBounds(int k) const {
    Bounds bounds;
    bounds.empty = true;
    for (auto at = first; at != last; at = std::upper_bound(at, last, *at)) {
        if (QuantileClass(*at) != k) {
            continue;
        }
        bounds.low = bounds.empty ? *at : bounds.low;
        bounds.high = *at;
        bounds.empty = false;
    }
    // Values beyond a fixed range join the end classes.
    bounds.openBelow = fixed && k == 0;
    bounds.openAbove = fixed && k == n - 1;
    return bounds;
}

ValueClasses::Bounds ValueClasses::LogBounds(int k) const {
    Bounds bounds;
    const double lnMin = std::log(logMin);
    const double step = (std::log(logMax) - lnMin) / n;
    bounds.empty = !(logMin > 0.0);
    bounds.low = std::exp(lnMin + step * k);
    bounds.high = std::exp(lnMin + step * (k + 1));
    // Everything below the second class's start, and from the last's on.
    bounds.openBelow = k == 0;
    bounds.openAbove = k == n - 1;
    return bounds;
}
