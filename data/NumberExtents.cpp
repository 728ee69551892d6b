#include "data/NumberExtents.h"

#include <sqlite3.h>

#include <cstring>
#include <string_view>

#include "base/NumberText.h"

namespace {

// SQLite compares an integer with a real exactly: through a long double
// where that holds every 64-bit integer, otherwise in two steps.
int CompareIntegerWithReal(long long whole, double real) {
    if (sizeof(long double) > 8) {
        const long double x = static_cast<long double>(whole);
        return x < real ? -1 : x > real ? 1 : 0;
    }
    if (real < -9223372036854775808.0) {
        return 1;
    }
    if (real >= 9223372036854775808.0) {
        return -1;
    }
    const long long truncated = static_cast<long long>(real);
    if (whole != truncated) {
        return whole < truncated ? -1 : 1;
    }
    const double widened = static_cast<double>(whole);
    return widened < real ? -1 : widened > real ? 1 : 0;
}

}  // namespace

bool SqlNumberOf(const StoredValue& value, long long& whole, double& real, bool& integer) {
    switch (value.type) {
        case SQLITE_NULL:
            return false;
        case SQLITE_INTEGER:
            integer = true;
            whole = value.integer;
            return true;
        case SQLITE_FLOAT:
            integer = false;
            real = value.real;
            return true;
        default: {
            // A text (or a blob read as one) ends at its first NUL, as the
            // number function reads it.
            const char* text = reinterpret_cast<const char*>(value.text);
            const size_t length = text ? strnlen(text, static_cast<size_t>(value.bytes)) : 0;
            const std::optional<double> number =
                text ? NumberInText(std::string_view(text, length)) : std::nullopt;
            integer = false;
            real = number ? *number : 0.0;
            return true;
        }
    }
}

void NumberExtents::Add(const StoredValue& value) {
    ++rows;
    Number number;
    if (!SqlNumberOf(value, number.whole, number.real, number.integer)) {
        ++nulls;
        return;
    }
    if (!any) {
        least = greatest = number;
        any = true;
        return;
    }
    if (Compare(least, number) > 0) {
        least = number;
    }
    if (Compare(greatest, number) < 0) {
        greatest = number;
    }
}

int NumberExtents::Compare(const Number& a, const Number& b) {
    if (a.integer && b.integer) {
        return a.whole < b.whole ? -1 : a.whole > b.whole ? 1 : 0;
    }
    if (!a.integer && !b.integer) {
        return a.real < b.real ? -1 : a.real > b.real ? 1 : 0;
    }
    return a.integer ? CompareIntegerWithReal(a.whole, b.real)
                     : -CompareIntegerWithReal(b.whole, a.real);
}

// As the aggregate's row reads it: its own type decides.
double NumberExtents::Read(const Number& number) {
    StoredValue stored;
    stored.type = number.integer ? SQLITE_INTEGER : SQLITE_FLOAT;
    stored.integer = number.whole;
    stored.real = number.real;
    return ReadDouble(nullptr, 0, number.integer ? CellInteger : CellReal, stored);
}

double NumberExtents::Least() const {
    return nulls > 0 || !any ? 0.0 : Read(least);
}

double NumberExtents::Greatest() const {
    return any ? Read(greatest) : 0.0;
}
