// Line-oriented reader of tab- or comma-separated text files.
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <vector>

class wxFileInputStream;
class wxTextInputStream;

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

class CsvReader {
  public:
    CsvReader(const wxString& path, const wxString& separators, bool positional);
    CsvReader(const char* path, const char* separators, bool positional);
    ~CsvReader();

    bool IsUsable() const;
    bool AtEnd() const;
    CsvRow ReadRow();
    void Rewind();
    size_t HeaderCount() const;
    const std::vector<wxString>& Header() const { return header; }
    wxString Separators() const { return separators; }

  private:
    std::unique_ptr<wxFileInputStream> file;
    std::unique_ptr<wxTextInputStream> text;
    wxString separators;
    bool positional;
    std::vector<wxString> header;
    CsvRow headerRow;

    void Open(const wxString& path);
    bool DetectSeparators();
};
