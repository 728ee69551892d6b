#include "base/NumberText.h"

#include <charconv>
#include <cmath>

std::optional<double> ParseNumber(std::string_view text) {
    // from_chars does not take the leading plus sign people sometimes write.
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, code] = std::from_chars(text.data(), end, value);
    if (text.empty() || code != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> NumberInText(std::string_view text) {
    const char* const blanks = " \t\n\v\f\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    return ParseNumber(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}
