// Numbers read from text typed by people or written by other programs.
#pragma once

#include <optional>
#include <string_view>

// A finite number in C notation whatever the locale, with an optional leading
// plus sign; nothing before or after it.
std::optional<double> ParseNumber(std::string_view text);

// The number a stored text holds, as SQLite tells a number text: the same
// notation with blanks (spaces, tabs, line ends) allowed around it. "NA",
// "1,5" or an empty text hold none.
std::optional<double> NumberInText(std::string_view text);
