#include "data/PlotGenerator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "data/PlotWriter.h"

namespace {

// Draws built on the raw 32-bit generator, so that a seed gives the same plot
// with any standard library.
class Draws {
  public:
    explicit Draws(uint32_t seed) : generator(seed) {}

    // Uniform in [0, 1) with 53 random bits.
    double Uniform() {
        const double high = static_cast<double>(generator() >> 5);
        const double low = static_cast<double>(generator() >> 6);
        return (high * 67108864.0 + low) / 9007199254740992.0;
    }
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
    // Standard normal by Box-Muller, one value per call.
    double Normal() {
        const double u1 = 1.0 - Uniform();  // in (0, 1], so the logarithm is finite
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    }

  private:
    std::mt19937 generator;
};

struct Tree {
    std::string label;
    double x = 0.0;
    double y = 0.0;
    double dbh = 0.0;      // stem diameter at breast height, m
    double crown = 0.0;    // crown diameter, m
    double height = -1.0;  // m; -1 when not measured
    int species = 1;       // 1 beech, 2 spruce, 3 oak, 4 maple, 5 fir
    double age = -1.0;     // years; -1 when unknown
};

const std::vector<StemField> kStemFields = {
    {"Tree", StemType::Text},       {"Xrot0", StemType::Real},     {"Yrot0", StemType::Real},
    {"dbh", StemType::Real},        {"Crown_d_m", StemType::Real}, {"height", StemType::Real},
    {"species", StemType::Integer}, {"age", StemType::Real}};

double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

double Clamp(double value, double low, double high) {
    return std::min(high, std::max(low, value));
}

// "T01", "T02", ... with as many digits as the largest label needs.
std::string Label(int index, int count) {
    const std::string largest = std::to_string(std::max(count, 10));
    std::string number = std::to_string(index + 1);
    number.insert(0, largest.size() - std::min(largest.size(), number.size()), '0');
    return "T" + number;
}

int DrawSpecies(Draws& draws) {
    const double u = draws.Uniform();
    if (u < 0.40) {
        return 1;
    }
    if (u < 0.65) {
        return 2;
    }
    if (u < 0.80) {
        return 3;
    }
    return u < 0.90 ? 4 : 5;
}

// Stems keep a loose minimum distance from each other, as trees in a stand
// do; when a spot cannot be found quickly the last try is taken.
std::vector<Tree> PlaceTrees(const PlotRequest& request, double plotWidth, double plotHeight,
                             Draws& draws) {
    std::vector<Tree> trees;
    const double margin = std::min(0.5, std::min(plotWidth, plotHeight) / 4);
    const double spacing =
        request.trees > 0 ? 0.6 * std::sqrt(plotWidth * plotHeight / request.trees) : 0.0;
    for (int i = 0; i < request.trees; ++i) {
        Tree tree;
        tree.label = Label(i, request.trees);
        for (int attempt = 0; attempt < 200; ++attempt) {
            tree.x = Round(draws.Uniform(margin, plotWidth - margin), 2);
            tree.y = Round(draws.Uniform(margin, plotHeight - margin), 2);
            bool clear = true;
            for (const Tree& other : trees) {
                if (std::hypot(other.x - tree.x, other.y - tree.y) < spacing) {
                    clear = false;
                    break;
                }
            }
            if (clear) {
                break;
            }
        }
        // Few large trees, many small ones.
        tree.dbh = Round(Clamp(std::exp(std::log(0.28) + 0.55 * draws.Normal()), 0.05, 0.9), 3);
        tree.crown =
            Round(Clamp((2.0 + 13.0 * tree.dbh) * (1.0 + 0.12 * draws.Normal()), 2.0, 14.0), 2);
        const double height =
            1.3 + 34.0 * (1.0 - std::exp(-3.5 * tree.dbh)) * (1.0 + 0.07 * draws.Normal());
        tree.height = draws.Uniform() < 0.12 ? -1.0 : Round(height, 1);
        tree.species = DrawSpecies(draws);
        const double age = 15.0 + 260.0 * tree.dbh * (1.0 + 0.2 * draws.Normal());
        tree.age = draws.Uniform() < 0.10 ? -1.0 : std::round(std::max(5.0, age));
        trees.push_back(tree);
    }
    return trees;
}

// Uptake of each tree in each cell, in milligrams of nitrogen: strongest near
// the stem, fading with the distance and nothing beyond the reach of the
// roots, with patchy soil. Milligrams keep the cell totals in the hundreds, so
// the colour and level scales, which work in whole units, have room to spread.
std::vector<double> ComputeUptake(const std::vector<Tree>& trees, int columns, int rows,
                                  double cell, Draws& draws) {
    const size_t treeCount = trees.size();
    std::vector<double> uptake(static_cast<size_t>(columns) * rows * treeCount, 0.0);
    for (size_t t = 0; t < treeCount; ++t) {
        const Tree& tree = trees[t];
        const double reach = 1.0 + 0.8 * tree.crown;
        const double peak = 50.0 + 1200.0 * std::pow(tree.dbh, 1.5);
        const int i0 = std::max(0, static_cast<int>(std::floor((tree.x - reach) / cell)));
        const int i1 = std::min(columns - 1, static_cast<int>(std::floor((tree.x + reach) / cell)));
        const int j0 = std::max(0, static_cast<int>(std::floor((tree.y - reach) / cell)));
        const int j1 = std::min(rows - 1, static_cast<int>(std::floor((tree.y + reach) / cell)));
        for (int j = j0; j <= j1; ++j) {
            for (int i = i0; i <= i1; ++i) {
                const double d = std::hypot((i + 0.5) * cell - tree.x, (j + 0.5) * cell - tree.y);
                if (d > reach) {
                    continue;
                }
                const double noise = std::exp(0.35 * draws.Normal());
                const bool patch = draws.Uniform() < 0.08;
                const double fall = std::exp(-std::pow(d / (0.45 * reach), 2.0));
                const double value = patch ? 0.0 : Round(peak * fall * noise, 2);
                uptake[(static_cast<size_t>(j) * columns + i) * treeCount + t] = value;
            }
        }
    }
    return uptake;
}

bool WriteTables(PlotWriter& writer, const PlotRequest& request, int columns, int rows,
                 const std::vector<Tree>& trees, const std::vector<double>& uptake) {
    std::vector<std::string> labels;
    for (const Tree& tree : trees) {
        labels.push_back(tree.label);
    }
    bool ok = writer.StartGrid(labels);
    const size_t treeCount = trees.size();
    for (int j = 0; ok && j < rows; ++j) {
        for (int i = 0; ok && i < columns; ++i) {
            ok = writer.AddCell(j * columns + i + 1, Round(i * request.cell, 6),
                                Round(j * request.cell, 6),
                                uptake.data() + (static_cast<size_t>(j) * columns + i) * treeCount);
        }
    }
    ok = ok && writer.StartStems(kStemFields);
    for (size_t t = 0; ok && t < treeCount; ++t) {
        const Tree& tree = trees[t];
        writer.SetText(0, tree.label);
        writer.SetReal(1, tree.x);
        writer.SetReal(2, tree.y);
        writer.SetReal(3, tree.dbh);
        writer.SetReal(4, tree.crown);
        writer.SetReal(5, tree.height);
        writer.SetInteger(6, tree.species);
        writer.SetReal(7, tree.age);
        ok = writer.AddStem();
    }
    return ok && writer.Commit();
}

}  // namespace

bool WritePlot(const std::string& path, const PlotRequest& request, std::string& error) {
    if (!(request.width > 0) || !(request.height > 0) || !(request.cell > 0) ||
        !std::isfinite(request.width) || !std::isfinite(request.height) ||
        !std::isfinite(request.cell)) {
        error = "width, height and cell size must be positive numbers";
        return false;
    }
    if (request.trees < 0 || request.trees > kMaxPlotTrees) {
        error = "the number of trees must lie between 0 and " + std::to_string(kMaxPlotTrees);
        return false;
    }
    const double columnsWanted = std::round(request.width / request.cell);
    const double rowsWanted = std::round(request.height / request.cell);
    if (columnsWanted < 1 || rowsWanted < 1 || columnsWanted * rowsWanted > 4.0e6) {
        error = "the plot must have between 1 and 4000000 cells";
        return false;
    }
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        error = path + " exists already";
        return false;
    }
    const int columns = static_cast<int>(columnsWanted);
    const int rows = static_cast<int>(rowsWanted);

    Draws draws(request.seed);
    const std::vector<Tree> trees =
        PlaceTrees(request, columns * request.cell, rows * request.cell, draws);
    const std::vector<double> uptake = ComputeUptake(trees, columns, rows, request.cell, draws);

    PlotWriter writer(path);
    if (!writer.IsOpen()) {
        error = "cannot create " + path + ": " + writer.Error();
        return false;
    }
    const bool ok = WriteTables(writer, request, columns, rows, trees, uptake);
    if (!ok) {
        error = writer.Error();
    }
    writer.Close();
    if (!ok) {
        std::remove(path.c_str());
    }
    return ok;
}
