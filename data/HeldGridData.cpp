#include "data/HeldGridData.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "data/IndexRows.h"

namespace {

// A number as an index table stores it: "%f" text read back by SQLite, or
// the number itself where that text is exact. The C library's reading
// stands in for SQLite's, which differs at most in the last bit.
double Stored(double value) {
    if (PrintsExactly(value) || !std::isfinite(value)) {
        return value + 0.0;
    }
    return std::strtod(PrintedNumber(value).text, nullptr) + 0.0;
}

const size_t kNone = size_t(-1);

struct PositionHash {
    size_t operator()(const std::pair<double, double>& position) const {
        uint64_t x = 0;
        uint64_t y = 0;
        std::memcpy(&x, &position.first, sizeof x);
        std::memcpy(&y, &position.second, sizeof y);
        return size_t((x * 0x9E3779B97F4A7C15ULL) ^ (y + (x >> 29)));
    }
};

}  // namespace

HeldGridData::HeldGridData(std::vector<Cell> held, double size, bool withLevels)
    : GridData(1), cells(std::move(held)) {
    cellSize = size;
    for (Cell& cell : cells) {
        cell.x = Stored(cell.x);
        cell.y = Stored(cell.y);
        AddPoint(ReadX(cell), ReadY(cell), {});
        minValue = std::min(minValue, double(cell.value));
        maxValue = std::max(maxValue, double(cell.value));
        if (cell.tag >= tagCounts.size()) {
            tagCounts.resize(size_t(cell.tag) + 1, 0);
        }
        ++tagCounts[cell.tag];
    }
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Cell& a, const Cell& b) { return a.y < b.y; });
    if (withLevels) {
        WorkOutLevels();
    }
}

// Each cell with a value hands it to the four cells around it, found by
// their stored positions one cell size away, as the index tables'
// neighbour pass finds them (a set of few cells must not guess the size
// from its own positions).
void HeldGridData::WorkOutLevels() {
    std::unordered_map<std::pair<double, double>, size_t, PositionHash> at;
    std::vector<size_t> next(cells.size(), kNone);  // the next cell of the same position
    for (size_t i = cells.size(); i-- > 0;) {
        const auto [place, fresh] = at.emplace(std::make_pair(cells[i].x, cells[i].y), i);
        if (!fresh) {
            next[i] = place->second;
            place->second = i;
        }
    }
    levels.assign(cells.size(), Levels{0.0f, 0.0f, 0.0f, 0.0f, false});
    // n from the cell at y + size, e at x + size, s at y - size, w at x - size.
    const double dx[4] = {0.0, cellSize, 0.0, -cellSize};
    const double dy[4] = {cellSize, 0.0, -cellSize, 0.0};
    float Levels::*const fields[4] = {&Levels::n, &Levels::e, &Levels::s, &Levels::w};
    for (size_t i = 0; i < cells.size(); ++i) {
        for (int d = 0; d < 4; ++d) {
            const auto from = at.find(
                std::make_pair(Stored(ReadX(cells[i]) + dx[d]), Stored(ReadY(cells[i]) + dy[d])));
            if (from == at.end()) {
                continue;
            }
            // Of several cells at one place, the last in order hands on its value.
            size_t last = from->second;
            while (next[last] != kNone) {
                last = next[last];
            }
            levels[i].*fields[d] = cells[last].value;
        }
        const float v = cells[i].value;
        const Levels& l = levels[i];
        levels[i].differs = v != l.n || v != l.e || v != l.s || v != l.w;
    }
}

double HeldGridData::GetValueAt(double x, double y) {
    const Cell* cell = Holding(x, y);
    return cell ? cell->value : defaultValue;
}

void HeldGridData::SetFilter(const Query&) {
    filtered = false;
}

void HeldGridData::SetViewFilter(const ViewFilter& filter) {
    view = AsRead(filter);
    filtered = true;
}

// The bounds as the filter's query would read them from its "%f" text.
ViewFilter HeldGridData::AsRead(const ViewFilter& filter) {
    return ViewFilter{filter.kind, Stored(filter.xMin), Stored(filter.yMin), Stored(filter.xMax),
                      Stored(filter.yMax)};
}

void HeldGridData::First() {
    if (filtered) {
        Select(view, false);
    } else {
        selected.clear();
        for (const Cell& cell : cells) {
            selected.push_back(&cell);
        }
    }
    at = 0;
}

void HeldGridData::Close() {
    selected.clear();
    at = 0;
}

double HeldGridData::GetValue() {
    return IsValid() ? selected[at]->value : 0.0;
}

double HeldGridData::GetX() {
    return IsValid() ? ReadX(*selected[at]) : 0.0;
}

double HeldGridData::GetY() {
    return IsValid() ? ReadY(*selected[at]) : 0.0;
}

int HeldGridData::GetTag() const {
    return at < selected.size() ? selected[at]->tag : -1;
}

// The same cells, in the same order, as an index table's rows held in
// memory give for the view.
void HeldGridData::Select(const ViewFilter& range, bool levelsOnly) {
    selected.clear();
    const bool strict = range.kind == ViewFilter::InsidePositive;
    auto first = std::partition_point(cells.begin(), cells.end(), [&](const Cell& c) {
        return strict ? c.y <= range.yMin : c.y < range.yMin;
    });
    for (auto it = first; it != cells.end(); ++it) {
        const Cell& cell = *it;
        if (strict ? !(cell.y < range.yMax) : !(cell.y <= range.yMax)) {
            break;
        }
        const bool inX = strict ? cell.x > range.xMin && cell.x < range.xMax
                                : cell.x >= range.xMin && cell.x <= range.xMax;
        if (!inX || (strict && !(cell.value > 0.0f)) ||
            (levelsOnly && !levels[size_t(&cell - cells.data())].differs)) {
            continue;
        }
        selected.push_back(&cell);
    }
}

bool HeldGridData::ReadLevelCells(const ViewFilter& filter, std::vector<LevelCell>& out) {
    out.clear();
    if (levels.size() != cells.size() || filter.kind != ViewFilter::EdgesIncluded) {
        return false;
    }
    Select(AsRead(filter), true);
    for (const Cell* cell : selected) {
        const Levels& around = levels[size_t(cell - cells.data())];
        out.push_back(LevelCell{ReadX(*cell), ReadY(*cell), cell->value, around.n, around.e,
                                around.s, around.w});
    }
    selected.clear();
    return true;
}

// As the readout's query over an index table: x <= px < x + size and the
// same for y; of several, the greatest x, then the greatest y.
const HeldGridData::Cell* HeldGridData::Holding(double x, double y) const {
    const double yLow = y - 2 * cellSize;
    auto first = std::partition_point(cells.begin(), cells.end(),
                                      [&](const Cell& c) { return !(c.y > yLow); });
    const Cell* best = nullptr;
    for (auto it = first; it != cells.end() && it->y <= y; ++it) {
        const Cell& cell = *it;
        if (!(cell.y + cellSize > y) ||
            !(cell.x <= x && cell.x > x - 2 * cellSize && cell.x + cellSize > x)) {
            continue;
        }
        if (!best || cell.x > best->x || (cell.x == best->x && cell.y > best->y)) {
            best = &cell;
        }
    }
    return best;
}
