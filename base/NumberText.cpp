#include "base/NumberText.h"

#include <charconv>
#include <cmath>

std::optional<double> ParseNumber(const std::string& text) {
    std::string trimmed = text;
    // from_chars does not take the leading plus sign people sometimes write.
    if (!trimmed.empty() && trimmed[0] == '+') {
        trimmed.erase(0, 1);
    }
    double value = 0.0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, code] = std::from_chars(trimmed.data(), end, value);
    if (trimmed.empty() || code != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}
