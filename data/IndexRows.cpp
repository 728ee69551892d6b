#include "data/IndexRows.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/HugePages.h"
#include "db/TableState.h"

namespace {

// Within this range "%f" texts stand 1e-6 apart while doubles are far
// closer, so distinct texts are distinct numbers both for the C library
// and for SQLite, and a C-library reading is within an ulp or two of SQLite's.
const double kExactRange = 2147483648.0;

bool InRange(double value) {
    return std::isfinite(value) && std::fabs(value) < kExactRange;
}

uint64_t Bits(double value) {
    uint64_t bits;
    value += 0.0;  // -0 and 0 are the same stored number
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// An open-addressing table from a position key to the first row there; rows
// sharing a key are chained in table order.
class PositionIndex {
  public:
    explicit PositionIndex(size_t count) {
        ReserveHuge(next, count);
        next.assign(count, -1);
        size_t size = 16;
        while (size < count * 2) {
            size *= 2;
        }
        ReserveHuge(slots, size);
        slots.assign(size, Slot{0.0, 0.0, -1, -1});
        mask = size - 1;
    }

    void Add(double x, double y, int row) {
        Slot& slot = Find(x, y);
        if (slot.first < 0) {
            slot = Slot{x, y, row, row};
        } else {
            next[static_cast<size_t>(slot.last)] = row;
            slot.last = row;
        }
    }

    // The first row at the key, or -1; NextAt gives the others.
    int FirstAt(double x, double y) { return Find(x, y).first; }
    int NextAt(int row) const { return next[static_cast<size_t>(row)]; }

  private:
    struct Slot {
        double x;
        double y;
        int first;
        int last;
    };
    std::vector<Slot> slots;
    std::vector<int> next;
    size_t mask;

    Slot& Find(double x, double y) {
        // The mix spreads the few significant bits of a coordinate over the word.
        size_t at = static_cast<size_t>(MixBits(MixBits(Bits(x)) ^ Bits(y))) & mask;
        while (slots[at].first >= 0 && !(slots[at].x == x && slots[at].y == y)) {
            at = (at + 1) & mask;
        }
        return slots[at];
    }
};

// What a stored number reads back as through a Row: single precision.
double ReadBack(double printed, const PrintedParser& parse) {
    if (PrintsExactly(printed)) {
        return static_cast<float>(printed);
    }
    const PrintedNumber number(printed);
    const double read = std::strtod(number.text, nullptr);
    // Any reading within two ulps of the C library's gives this float.
    const double low = std::nextafter(std::nextafter(read, -INFINITY), -INFINITY);
    const double high = std::nextafter(std::nextafter(read, INFINITY), INFINITY);
    if (static_cast<float>(low) == static_cast<float>(high)) {
        return static_cast<float>(read);
    }
    return static_cast<float>(parse(number.text));
}

// A value that stands for the stored number in comparisons: equal for two
// numbers exactly when SQLite finds their stored values equal.
double Key(double printed) {
    if (PrintsExactly(printed)) {
        return printed + 0.0;
    }
    return std::strtod(PrintedNumber(printed).text, nullptr) + 0.0;
}

// The distance of the two greatest distinct stored x values, compared
// through their keys; false with fewer than two.
bool TwoGreatestApart(const std::vector<SourceCell>& cells, const PrintedParser& parse,
                      double& size) {
    bool haveFirst = false;
    bool haveSecond = false;
    double firstKey = 0.0;
    double secondKey = 0.0;
    double first = 0.0;
    double second = 0.0;
    for (const SourceCell& cell : cells) {
        const double key = Key(cell.x);
        if (!haveFirst || key > firstKey) {
            if (haveFirst) {
                haveSecond = true;
                secondKey = firstKey;
                second = first;
            }
            haveFirst = true;
            firstKey = key;
            first = cell.x;
        } else if (key < firstKey && (!haveSecond || key > secondKey)) {
            haveSecond = true;
            secondKey = key;
            second = cell.x;
        }
    }
    if (!haveSecond) {
        return false;
    }
    size = ReadBack(first, parse) - ReadBack(second, parse);
    return true;
}

}  // namespace

PrintedNumber::PrintedNumber(double value) {
    // The same text as "%f" (std::to_chars is defined to match printf), without its cost.
    const auto result =
        std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 6);
    *result.ptr = '\0';
}

bool PrintsExactly(double value) {
    const double scaled = value * 64.0;
    return std::fabs(value) < kExactRange && std::trunc(scaled) == scaled;
}

IndexRows::IndexRows(const std::vector<SourceCell>& cells, bool counts, Parser parse)
    : counts(counts), parse(std::move(parse)) {
    ReserveHuge(rows, cells.size());
    for (const SourceCell& cell : cells) {
        const double count = counts ? cell.positive : cell.sum;
        exact = exact && InRange(cell.x) && InRange(cell.y) && InRange(count);
        rows.push_back(Row{cell.x, cell.y, count});
    }
}

bool IndexRows::ExtremeRows(size_t& lowest, size_t& highest) const {
    if (rows.empty()) {
        return false;
    }
    lowest = 0;
    highest = 0;
    double least = Key(rows[0].count);
    double greatest = least;
    for (size_t i = 1; i < rows.size(); ++i) {
        const double key = Key(rows[i].count);
        if (key < least) {
            least = key;
            lowest = i;
        }
        if (key >= greatest) {
            greatest = key;
            highest = i;
        }
    }
    return true;
}

double IndexRows::CountAsRead(size_t row) const {
    const double count = rows[row].count;
    return counts ? static_cast<int>(count) : ReadBack(count, parse);
}

std::unique_ptr<IndexCells> IndexRows::HeldCells() const {
    if (!exact) {
        return nullptr;
    }
    std::vector<IndexCells::Cell> cells;
    std::vector<IndexCells::Levels> levels;
    ReserveHuge(cells, rows.size());
    ReserveHuge(levels, rows.size());
    // Integer counts are stored as themselves; sums as their "%f" text reads.
    auto read = [&](double value) {
        return static_cast<float>(counts ? static_cast<int>(value) : ReadBack(value, parse));
    };
    auto key = [&](double value) -> double {
        return counts ? static_cast<int>(value) : Key(value);
    };
    for (const Row& row : rows) {
        if (!PrintsExactly(row.x) || !PrintsExactly(row.y)) {
            return nullptr;
        }
        const double c = key(row.count);
        cells.push_back(IndexCells::Cell{row.x + 0.0, row.y + 0.0, read(row.count), c > 0.0});
        levels.push_back(IndexCells::Levels{
            read(row.n), read(row.e), read(row.s), read(row.w),
            c != key(row.n) || c != key(row.e) || c != key(row.s) || c != key(row.w)});
    }
    return IndexCells::FromCells(std::move(cells), std::move(levels));
}

CellNeighbours::CellNeighbours(const std::vector<SourceCell>& cells, const PrintedParser& parse,
                               double cellSize)
    : size(cellSize) {
    for (const SourceCell& cell : cells) {
        exact = exact && InRange(cell.x) && InRange(cell.y);
    }
    if (!exact) {
        return;
    }
    foundSize = TwoGreatestApart(cells, parse, size);
    PositionIndex index(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        index.Add(Key(cells[i].x), Key(cells[i].y), static_cast<int>(i));
    }
    ReserveHuge(targets, cells.size());
    targets.resize(cells.size());
    auto at = [&](double x, double y) {
        return InRange(x) && InRange(y) ? index.FirstAt(Key(x), Key(y)) : kOutOfRange;
    };
    for (size_t i = 0; i < cells.size(); ++i) {
        // Only a cell with some value hands anything on, in either set.
        if (cells[i].sum == 0.0 && cells[i].positive == 0) {
            targets[i] = {-1, -1, -1, -1};
            continue;
        }
        // The position as the pass reads it back from the table.
        const double x = ReadBack(cells[i].x, parse);
        const double y = ReadBack(cells[i].y, parse);
        targets[i] = {at(x, y - size), at(x - size, y), at(x, y + size), at(x + size, y)};
    }
    ReserveHuge(next, cells.size());
    next.resize(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        next[i] = index.NextAt(static_cast<int>(i));
    }
}

void IndexRows::SpreadToNeighbours(const CellNeighbours& around) {
    exact = exact && around.IsExact();
    // The cell south of a giver gets its value as n, and so on around.
    double Row::*const fields[4] = {&Row::n, &Row::e, &Row::s, &Row::w};
    // In table order, so that of two cells handing a value to the same place
    // the later one's stays, as with one UPDATE after the other.
    for (size_t i = 0; i < rows.size() && exact; ++i) {
        // The value as the pass reads it back from the table.
        const double value = counts ? rows[i].count : ReadBack(rows[i].count, parse);
        if (counts ? !(value > 0.0) : value == 0.0) {
            continue;
        }
        for (int d = 0; d < 4 && exact; ++d) {
            const int first = around.FirstAt(i, d);
            exact = first != CellNeighbours::kOutOfRange;
            for (int at = first; at >= 0; at = around.NextAt(at)) {
                rows[static_cast<size_t>(at)].*fields[d] = value;
            }
        }
    }
}
