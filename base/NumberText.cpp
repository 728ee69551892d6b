#include "base/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

std::optional<double> Parse(std::string_view number) {
    // from_chars does not take the leading plus sign people sometimes write.
    if (!number.empty() && number[0] == '+') {
        number.remove_prefix(1);
    }
    double value = 0.0;
    const char* end = number.data() + number.size();
    const auto [stop, code] = std::from_chars(number.data(), end, value);
    if (number.empty() || code != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> ParseNumber(const std::string& text) {
    return Parse(text);
}

std::optional<double> NumberInText(std::string_view text) {
    const char* const blanks = " \t\n\v\f\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    return Parse(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}
