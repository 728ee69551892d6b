// The records of delimited text as spreadsheets, R and pandas write it: one
// separator (comma, semicolon or tab), fields in double quotes holding
// separators, doubled quotes or line breaks, empty fields kept, blanks
// around unquoted fields dropped. The fields are views into the reader's
// own buffer, so that a record costs no allocation once the buffer has
// grown, and each byte is looked at once.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "db/TextFile.h"

class RecordReader {
  public:
    enum class Kind {
        Fields,     // a record; Fields() holds it
        Blank,      // an empty line
        End,        // no more text (or reading failed: see the file's Problem())
        Malformed,  // Problem() says why; Fields() holds the fields before the fault
    };

    // Without a separator the first tab, semicolon or comma outside quotes
    // decides it.
    explicit RecordReader(TextFile& file, char separator = 0);

    Kind Next();
    // Valid until the next call of Next.
    const std::vector<std::string_view>& Fields() const { return fields; }
    // The line (from 1) on which the record last read begins (at the end:
    // would have begun).
    long Line() const { return line; }
    const char* Problem() const { return problem; }
    // 0 while no record has shown it.
    char Separator() const { return separator; }
    // For a file read again from its start: lines count from 1 again.
    void Restart() { linesRead = line = 0; }

  private:
    TextFile& file;
    char separator = 0;
    std::array<bool, 256> stops{};  // bytes that end an unquoted field
    std::string_view view;          // the file's bytes at hand
    const char* at = nullptr;
    std::string row;           // the fields' bytes, one after the other
    std::vector<size_t> ends;  // where each field ends in row
    std::vector<std::string_view> fields;
    long linesRead = 0;
    long line = 0;
    const char* problem = nullptr;
    unsigned char high = 0;  // every byte of the record ORed: above 127 means not ASCII

    bool More();
    void Sync();
    void SetSeparator(char c);
    bool IsSeparator(char c) const;
    bool IsBlank(char c) const;
    void SkipBlanks();
    void EndLine();
    void UnquotedField();
    bool QuotedField();
    Kind Fail(const char* why);
    Kind Finish(Kind kind);
};
