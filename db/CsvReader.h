// Line-oriented reader of tab- or comma-separated text files, read through
// the buffered TextFile (plain or gzip, any byte-order mark).
//
// The plain dialect splits each line at every separator, as the table import
// always has. The quoted dialect reads what spreadsheets and R write (see
// RecordReader).
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <vector>

#include "db/RecordReader.h"
#include "db/TextFile.h"

class CsvRow {
  public:
    CsvRow();  // null row: an empty line or the end of the file
    explicit CsvRow(std::vector<wxString> tokens);
    CsvRow(std::vector<wxString> tokens, const std::vector<wxString>& header);

    bool IsNull() const;
    size_t Count() const;
    wxString Field(size_t index) const;
    wxString Field(const wxString& column) const;
    long FieldLong(size_t index) const;
    double FieldDouble(size_t index) const;
    const std::vector<wxString>& Tokens() const;

  private:
    struct Body;
    std::shared_ptr<const Body> body;
};

enum class CsvDialect { Plain, Quoted };

class CsvReader {
  public:
    CsvReader(const wxString& path, const wxString& separators, bool positional,
              CsvDialect dialect = CsvDialect::Plain);
    CsvReader(const char* path, const char* separators, bool positional,
              CsvDialect dialect = CsvDialect::Plain);
    ~CsvReader();

    bool IsUsable() const;
    bool AtEnd();
    CsvRow ReadRow();
    void Rewind();
    size_t HeaderCount() const;
    const std::vector<wxString>& Header() const { return header; }
    wxString Separators() const { return separators; }
    // The line (from 1) on which the row last read begins.
    long LineNumber() const { return rowLine; }
    // Quoted dialect: why the row last read is malformed, or empty.
    const wxString& RowProblem() const { return rowProblem; }

  private:
    TextFile file;
    bool usable = false;
    std::unique_ptr<RecordReader> records;  // the quoted dialect's
    std::string line;
    wxString separators;
    bool positional;
    CsvDialect dialect;
    std::vector<wxString> header;
    CsvRow headerRow;
    long linesRead = 0;
    long rowLine = 0;
    wxString rowProblem;

    void Open(const wxString& path);
    bool DetectSeparators();
    bool ReadHeader();
    std::vector<wxString> PlainTokens();
    std::vector<wxString> QuotedTokens();
};
