#include "db/SqlText.h"

namespace {

std::string Doubled(const std::string& text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == quote) {
            out += c;
        }
    }
    return out;
}

bool IsPlainIdentifier(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
        return false;
    }
    for (char c : name) {
        bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

}  // namespace

const char* const kNumberFunction = "quenvar_number";

std::string SqlNumber(const std::string& expression) {
    return std::string(kNumberFunction) + "(" + expression + ")";
}

std::string SqlQuoted(const std::string& name, char quote) {
    return Doubled(name, quote);
}

std::string SqlLiteral(const std::string& value) {
    return "'" + Doubled(value, '\'') + "'";
}

std::string SqlName(const std::string& name) {
    if (IsPlainIdentifier(name)) {
        return name;
    }
    return "\"" + Doubled(name, '"') + "\"";
}
