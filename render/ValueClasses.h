// How the values of one value layer fall into the classes of its palette,
// under its family's class rule, and where each lies along the palette for a
// smooth gradient. The equal rule is the colour scale's picking rule (a
// fixed range's, when one is set); quantile and log classes are taken from
// the set's values that are not 0 over the whole plot, so that the colours
// do not change as the view does.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "render/ValueRange.h"

// What the classes of one set are made from.
struct ValueDistribution {
    double minimum = 0.0;  // the set's own
    double maximum = 0.0;
    // The set's values that are not 0, ascending; the quantile and log rules need them.
    std::shared_ptr<const std::vector<double>> sorted;
};

// How a value layer's values fall into the classes of its palette, and
// where each lies along it: the renderers, the legend and the readout ask
// one of these.
class Classifier {
  public:
    virtual ~Classifier() = default;

    virtual ClassRule Rule() const = 0;
    // Whether the classes follow a rule of their own rather than the colour
    // scale's equal steps (which the renderers then apply themselves).
    virtual bool OwnRule() const = 0;
    virtual int Count() const = 0;
    // The class of a value, 0 to Count() - 1; -1 without classes.
    virtual int ClassOf(double value) const = 0;
    // Where the value lies along the palette, 0 to 1, and the value that
    // lies at a position (for a legend's ticks).
    virtual double Position(double value) const = 0;
    virtual double ValueAt(double position) const = 0;

    // The values of class k as a legend lists them: those from low to high,
    // or every value up to high (openBelow) or from low on (openAbove);
    // empty when no value of the set falls into it.
    struct Bounds {
        double low = 0.0;
        double high = 0.0;
        bool openBelow = false;
        bool openAbove = false;
        bool empty = false;
    };
    virtual Bounds ClassBounds(int k) const = 0;
};

class ValueClasses final : public Classifier {
  public:
    ValueClasses(ClassRule rule, int classes, const ValueDistribution& values,
                 const std::optional<ValueRange>& fixed);

    ClassRule Rule() const override { return rule; }
    bool OwnRule() const override { return rule != ClassRule::Equal; }
    int Count() const override { return n; }
    int ClassOf(double value) const override;
    double Position(double value) const override;
    double ValueAt(double position) const override;
    // Of the quantile and log rules only.
    Bounds ClassBounds(int k) const override;

  private:
    int QuantileClass(double value) const;
    int LogClass(double value) const;
    double QuantilePosition(double value) const;
    Bounds QuantileBounds(int k) const;
    Bounds LogBounds(int k) const;

    ClassRule rule;
    int n;
    ValueDistribution values;
    std::optional<ValueRange> fixed;
    // The values the quantiles count: those within the fixed range, if any.
    std::vector<double>::const_iterator first;
    std::vector<double>::const_iterator last;
    // The ends of the log scale: the smallest and largest values above 0,
    // or the fixed range.
    double logMin = 0.0;
    double logMax = 0.0;
};
