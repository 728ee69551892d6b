#include "base/Text.h"

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Utf8(const wxString& text) {
    return std::string(text.utf8_str().data());
}
