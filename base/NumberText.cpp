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
