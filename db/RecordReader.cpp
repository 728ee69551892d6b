#include "db/RecordReader.h"

namespace {

const char* const kNotClosed = "a quoted field is not closed";
const char* const kAfterQuote = "text follows the closing quote of a field";
const char* const kZeroByte =
    "a zero byte, which no text holds: this is not a text file, or UTF-16 text without its "
    "byte-order mark";

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// What wxString::Trim drops at a field's end, as the reader always did.
bool IsTrailingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

}  // namespace

RecordReader::RecordReader(TextFile& file, char separator) : file(file) {
    SetSeparator(separator);
}

void RecordReader::SetSeparator(char c) {
    separator = c;
    stops.fill(false);
    stops['\n'] = stops['\r'] = stops[0] = true;
    if (c) {
        stops[static_cast<unsigned char>(c)] = true;
    } else {
        stops[','] = stops[';'] = stops['\t'] = true;
    }
}

bool RecordReader::IsSeparator(char c) const {
    return separator ? c == separator : c == ',' || c == ';' || c == '\t';
}

// A tab is a blank only when it cannot be the separator.
bool RecordReader::IsBlank(char c) const {
    return c == ' ' || (c == '\t' && separator && separator != '\t');
}

// Makes a byte available at `at`; false at the end of the text.
bool RecordReader::More() {
    if (at < view.data() + view.size()) {
        return true;
    }
    file.Consume(view.size());
    view = file.Peek();
    at = view.data();
    return !view.empty();
}

// Hands what was read back to the file, so that it knows its own position.
void RecordReader::Sync() {
    file.Consume(at - view.data());
    view = {};
    at = nullptr;
}

void RecordReader::SkipBlanks() {
    while (More() && IsBlank(*at)) {
        ++at;
    }
}

void RecordReader::EndLine() {
    if (More() && IsLineEnd(*at)) {
        const bool carriageReturn = *at++ == '\r';
        if (carriageReturn && More() && *at == '\n') {
            ++at;
        }
    }
}

RecordReader::Kind RecordReader::Next() {
    row.clear();
    ends.clear();
    fields.clear();
    problem = nullptr;
    high = 0;
    if (!More()) {
        Sync();
        line = linesRead + 1;  // where a record would have begun
        return Kind::End;
    }
    line = ++linesRead;
    if (IsLineEnd(*at)) {
        EndLine();
        Sync();
        return Kind::Blank;
    }
    while (true) {
        SkipBlanks();
        if (More() && *at == '"') {
            ++at;
            if (!QuotedField()) {
                return Fail(problem);
            }
            SkipBlanks();
            if (More() && !IsSeparator(*at) && !IsLineEnd(*at)) {
                return Fail(*at ? kAfterQuote : kZeroByte);
            }
        } else {
            UnquotedField();
        }
        ends.push_back(row.size());
        if (!More()) {
            break;
        }
        if (IsLineEnd(*at)) {
            EndLine();
            break;
        }
        if (*at == 0) {
            return Fail(kZeroByte);
        }
        if (!separator) {
            SetSeparator(*at);
        }
        ++at;
    }
    return Finish(Kind::Fields);
}

void RecordReader::UnquotedField() {
    const size_t start = row.size();
    do {
        const char* from = at;
        const char* end = view.data() + view.size();
        while (at < end && !stops[static_cast<unsigned char>(*at)]) {
            high |= static_cast<unsigned char>(*at++);
        }
        row.append(from, at - from);
    } while (at == view.data() + view.size() && More());
    while (row.size() > start && IsTrailingBlank(row.back())) {
        row.pop_back();
    }
}

// From after the opening quote to after the closing one; line ends inside
// become one line feed.
bool RecordReader::QuotedField() {
    while (true) {
        if (!More()) {
            problem = kNotClosed;
            return false;
        }
        const char* from = at;
        const char* end = view.data() + view.size();
        while (at < end && *at != '"' && !IsLineEnd(*at) && *at != 0) {
            high |= static_cast<unsigned char>(*at++);
        }
        row.append(from, at - from);
        if (at == end) {
            continue;
        }
        const char c = *at++;
        if (c == '"') {
            if (!More() || *at != '"') {
                return true;
            }
            row += '"';
            ++at;
        } else if (c == 0) {
            problem = kZeroByte;
            return false;
        } else {
            row += '\n';
            ++linesRead;
            if (c == '\r' && More() && *at == '\n') {
                ++at;
            }
        }
    }
}

// Leaves the rest of the line, so that a reader that goes on starts afresh.
RecordReader::Kind RecordReader::Fail(const char* why) {
    problem = why;
    ends.push_back(row.size());
    while (More() && !IsLineEnd(*at)) {
        ++at;
    }
    EndLine();
    return Finish(Kind::Malformed);
}

// Bytes that are no UTF-8 are taken as Latin-1, field by field, as text
// from older spreadsheets is.
RecordReader::Kind RecordReader::Finish(Kind kind) {
    Sync();
    if ((high & 0x80) && !IsUtf8(row)) {
        std::string converted;
        size_t start = 0;
        for (size_t& end : ends) {
            converted += Latin1ToUtf8(std::string_view(row).substr(start, end - start));
            start = end;
            end = converted.size();
        }
        row = std::move(converted);
    }
    size_t start = 0;
    for (const size_t end : ends) {
        fields.emplace_back(row.data() + start, end - start);
        start = end;
    }
    return kind;
}
