// Reading back what the database layer logged.
#pragma once

#include <string>
#include <vector>

// The messages of one log file, without their timestamp and channel tag;
// lines without a prefix (the rest of a message with a line feed) as they are.
std::vector<std::string> LogMessages(const std::string& file);

// Whether any message of the file contains the text.
bool Logged(const std::string& file, const std::string& text);
