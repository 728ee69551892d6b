#include "db/CsvReader.h"

#include <wx/convauto.h>
#include <wx/log.h>
#include <wx/tokenzr.h>
#include <wx/txtstrm.h>
#include <wx/wfstream.h>

#include "base/Log.h"
#include "db/Database.h"
#include "db/SqlText.h"

struct CsvRow::Body {
    std::vector<wxString> tokens;
    std::map<wxString, wxString> byColumn;
};

CsvRow::CsvRow() = default;

CsvRow::CsvRow(std::vector<wxString> tokens) : CsvRow(std::move(tokens), {}) {}

CsvRow::CsvRow(std::vector<wxString> tokens, const std::vector<wxString>& header) {
    auto made = std::make_shared<Body>();
    made->tokens = std::move(tokens);
    for (size_t i = 0; i < header.size() && i < made->tokens.size(); ++i) {
        made->byColumn[header[i]] = made->tokens[i];
    }
    body = std::move(made);
}

bool CsvRow::IsNull() const {
    return !body;
}

size_t CsvRow::Count() const {
    return body ? body->tokens.size() : 0;
}

wxString CsvRow::Field(size_t index) const {
    return index < Count() ? body->tokens[index] : wxString();
}

wxString CsvRow::Field(const wxString& column) const {
    if (!body) {
        return wxString();
    }
    auto found = body->byColumn.find(column);
    return found == body->byColumn.end() ? wxString() : found->second;
}

long CsvRow::FieldLong(size_t index) const {
    long value = 0;
    return Field(index).ToLong(&value, 10) ? value : 0;
}

double CsvRow::FieldDouble(size_t index) const {
    double value = 0.0;
    return Field(index).ToDouble(&value) ? value : 0.0;
}

const std::vector<wxString>& CsvRow::Tokens() const {
    static const std::vector<wxString> none;
    return body ? body->tokens : none;
}

CsvReader::CsvReader(const wxString& path, const wxString& separatorList, bool isPositional,
                     CsvDialect readDialect)
    : separators(separatorList), positional(isPositional), dialect(readDialect) {
    Open(path);
}

CsvReader::CsvReader(const char* path, const char* separatorList, bool isPositional,
                     CsvDialect readDialect)
    : CsvReader(wxString::FromUTF8(path ? path : ""),
                wxString::FromUTF8(separatorList ? separatorList : ""), isPositional, readDialect) {
}

CsvReader::~CsvReader() = default;

void CsvReader::Open(const wxString& path) {
    // The toolkit would report a missing or unreadable file in a dialog of
    // its own; here it only makes the reader unusable.
    wxLogNull quiet;
    file = std::make_unique<wxFileInputStream>(path);
    if (!file->IsOk()) {
        return;
    }
    text = std::make_unique<wxTextInputStream>(*file, " \t", wxConvAuto());
    if (separators.empty()) {
        if (!DetectSeparators()) {
            text.reset();
            return;
        }
        Rewind();
    }
    if (!AtEnd()) {
        headerRow = ReadRow();
        header = headerRow.Tokens();
        Rewind();
    }
}

namespace {

// The separator of a quoted-dialect header: the first tab, semicolon or comma
// outside quotes, so that a quoted column name may hold any of them.
wxString FirstSeparatorOutsideQuotes(const wxString& line) {
    bool quoted = false;
    for (wxUniChar c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\t' || c == ';' || c == ',')) {
            return wxString(c);
        }
    }
    return wxString();
}

bool IsBlank(wxUniChar c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool CsvReader::DetectSeparators() {
    wxString first = text->ReadLine();
    if (first.empty()) {
        wxString second = text->ReadLine();
        if (second.empty() && file->GetLastError() != wxSTREAM_READ_ERROR &&
            dialect == CsvDialect::Plain) {
            LogConsole("WHY?");
        }
        return false;
    }
    if (dialect == CsvDialect::Quoted) {
        separators = FirstSeparatorOutsideQuotes(first);
        return !separators.empty();
    }
    for (wxUniChar c : first) {
        if (c == '\t' || c == ',') {
            separators = wxString(c);
            return true;
        }
    }
    return false;
}

bool CsvReader::IsUsable() const {
    if (!text || !file) {
        return false;
    }
    wxStreamError state = file->GetLastError();
    return state == wxSTREAM_NO_ERROR || state == wxSTREAM_EOF;
}

bool CsvReader::AtEnd() const {
    return !file || file->Eof() || !IsUsable();
}

CsvRow CsvReader::ReadRow() {
    if (!text || AtEnd()) {
        return CsvRow();
    }
    wxLogNull quiet;
    rowProblem.clear();
    wxString line = ReadLine();
    rowLine = linesRead;
    if (line.empty()) {
        return CsvRow();
    }
    std::vector<wxString> tokens;
    if (dialect == CsvDialect::Quoted) {
        tokens = SplitQuoted(line);
    } else {
        wxStringTokenizer tokenizer(line, separators);
        while (tokenizer.HasMoreTokens()) {
            tokens.push_back(tokenizer.GetNextToken());
        }
    }
    if (positional || header.empty()) {
        return CsvRow(std::move(tokens));
    }
    return CsvRow(std::move(tokens), header);
}

wxString CsvReader::ReadLine() {
    ++linesRead;
    return text->ReadLine();
}

std::vector<wxString> CsvReader::SplitQuoted(wxString line) {
    const wxUniChar separator = separators.empty() ? wxUniChar(',') : separators[0];
    std::vector<wxString> fields(1);
    size_t i = 0;
    while (true) {
        while (i < line.length() && IsBlank(line[i]) && line[i] != separator) {
            ++i;
        }
        if (i < line.length() && line[i] == '"') {
            // A quoted field runs to its closing quote, across line ends.
            for (++i;; ++i) {
                if (i == line.length()) {
                    if (AtEnd()) {
                        rowProblem = "a quoted field is not closed";
                        return fields;
                    }
                    line += "\n" + ReadLine();
                    --i;
                } else if (line[i] == '"' && i + 1 < line.length() && line[i + 1] == '"') {
                    fields.back() += '"';
                    ++i;
                } else if (line[i] == '"') {
                    ++i;
                    break;
                } else {
                    fields.back() += line[i];
                }
            }
            while (i < line.length() && IsBlank(line[i]) && line[i] != separator) {
                ++i;
            }
            if (i < line.length() && line[i] != separator) {
                rowProblem = "text follows the closing quote of a field";
                return fields;
            }
        } else {
            const size_t end = line.find(separator, i);
            fields.back() = line.substr(i, end == wxString::npos ? wxString::npos : end - i);
            fields.back().Trim(true);
            i = end == wxString::npos ? line.length() : end;
        }
        if (i >= line.length()) {
            return fields;
        }
        ++i;  // the separator
        fields.emplace_back();
    }
}

void CsvReader::Rewind() {
    if (!file) {
        return;
    }
    file->SeekI(0);
    linesRead = 0;
    rowLine = 0;
    // A fresh text stream forgets buffered bytes and detects a byte-order mark again.
    if (text) {
        text = std::make_unique<wxTextInputStream>(*file, " \t", wxConvAuto());
    }
}

size_t CsvReader::HeaderCount() const {
    return header.size();
}

void Database::ImportCsv(const char* path, const char* table, const char* columnType) {
    if (!path || !table || !columnType) {
        return;
    }
    CsvReader reader(path, "", true);
    if (!reader.IsUsable() || reader.HeaderCount() == 0) {
        return;
    }
    Query create("CREATE TABLE %s(", SqlName(table).c_str());
    for (size_t i = 0; i < reader.HeaderCount(); ++i) {
        create.Append("%s'%s' %s", i > 0 ? "," : "",
                      SqlQuoted(reader.Header()[i].utf8_str().data(), '\'').c_str(), columnType);
    }
    create.Append(")");
    if (RunQuery(create).Status() == ResultStatus::Failed) {
        return;
    }

    reader.ReadRow();  // the header line
    // One transaction instead of a disk sync per line; a failing line is
    // still logged and skipped on its own.
    bool batch = Begin();
    while (!reader.AtEnd()) {
        CsvRow row = reader.ReadRow();
        if (row.IsNull()) {
            continue;
        }
        Query insert("INSERT INTO %s VALUES(", SqlName(table).c_str());
        for (size_t i = 0; i < row.Count(); ++i) {
            insert.Append("%s%s", i > 0 ? "," : "",
                          SqlLiteral(row.Field(i).utf8_str().data()).c_str());
        }
        insert.Append(")");
        RunQuery(insert);
    }
    if (batch) {
        Commit();
    }
}
