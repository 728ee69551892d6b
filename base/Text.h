// Text as messages and SQLite want it: paths in double quotes, and the
// toolkit's strings as UTF-8.
#pragma once

#include <wx/string.h>

#include <string>

// A path or name between double quotes, as every message names one.
std::string Quoted(const std::string& text);

// The UTF-8 bytes of a toolkit string.
std::string Utf8(const wxString& text);
