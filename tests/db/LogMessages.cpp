#include "LogMessages.h"

#include <regex>

#include "TestSupport.h"

std::vector<std::string> LogMessages(const std::string& file) {
    static const std::regex prefix(
        R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] \((error|run|console)\) )");
    std::vector<std::string> messages;
    for (const std::string& line : ReadLines(file)) {
        messages.push_back(std::regex_replace(line, prefix, ""));
    }
    return messages;
}

bool Logged(const std::string& file, const std::string& text) {
    for (const std::string& message : LogMessages(file)) {
        if (message.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
