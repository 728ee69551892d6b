// Quoting of names and values from files and users before they go into SQL text.
#pragma once

#include <string>

// What goes between the quote characters a statement already puts around a
// name (` or '):
// the name with that character doubled.
std::string SqlQuoted(const std::string& name, char quote);

// A text value as a single-quoted SQL literal, single quotes doubled.
std::string SqlLiteral(const std::string& value);

// A table, index or column name: bare when it is a plain identifier
// (ASCII letters, digits, underscores, not starting with a digit),
// otherwise a double-quoted identifier with double quotes doubled.
std::string SqlName(const std::string& name);

// The function every connection of the program has for reading a value as a
// number (numbers stored as text included), and an expression through it.
extern const char* const kNumberFunction;
std::string SqlNumber(const std::string& expression);
