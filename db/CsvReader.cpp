#include "db/CsvReader.h"

#include <wx/tokenzr.h>

#include "base/Log.h"
#include "base/Text.h"
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
    std::string ignored;
    if (!file.Open(Utf8(path), ignored)) {
        return;
    }
    usable = true;
    if (dialect == CsvDialect::Quoted) {
        records =
            std::make_unique<RecordReader>(file, separators.empty() ? 0 : char(separators[0]));
    }
    if (separators.empty() && !DetectSeparators()) {
        usable = false;
        return;
    }
    if (!AtEnd()) {
        headerRow = ReadRow();
        header = headerRow.Tokens();
        Rewind();
    }
}

bool CsvReader::DetectSeparators() {
    if (dialect == CsvDialect::Quoted) {
        // The header's first tab, semicolon or comma outside quotes, so that
        // a quoted column name may hold any of them.
        records->Next();
        separators = records->Separator() ? wxString(records->Separator()) : wxString();
    } else if (!file.ReadLine(line) || line.empty()) {
        std::string second;
        if ((!file.ReadLine(second) || second.empty()) && file.Problem().empty()) {
            LogConsole("WHY?");
        }
    } else {
        const size_t found = line.find_first_of("\t,");
        separators = found == std::string::npos ? wxString() : wxString(line[found]);
    }
    Rewind();
    return !separators.empty();
}

bool CsvReader::IsUsable() const {
    return usable && file.Problem().empty();
}

bool CsvReader::AtEnd() {
    return !IsUsable() || file.AtEnd();
}

CsvRow CsvReader::ReadRow() {
    if (AtEnd()) {
        return CsvRow();
    }
    rowProblem.clear();
    std::vector<wxString> tokens;
    bool blank = false;
    if (dialect == CsvDialect::Quoted) {
        const RecordReader::Kind kind = records->Next();
        rowLine = records->Line();
        blank = kind == RecordReader::Kind::Blank || kind == RecordReader::Kind::End;
        rowProblem = kind == RecordReader::Kind::Malformed ? records->Problem() : "";
        for (const std::string_view field : records->Fields()) {
            tokens.push_back(wxString::FromUTF8(field.data(), field.size()));
        }
    } else {
        file.ReadLine(line);
        rowLine = ++linesRead;
        blank = line.empty();
        // Bytes that are no UTF-8 are read as Latin-1.
        const wxString text = IsUtf8(line) ? wxString::FromUTF8(line.data(), line.size())
                                           : wxString::FromUTF8(Latin1ToUtf8(line).c_str());
        wxStringTokenizer tokenizer(text, separators);
        while (tokenizer.HasMoreTokens()) {
            tokens.push_back(tokenizer.GetNextToken());
        }
    }
    if (blank) {
        return CsvRow();
    }
    if (positional || header.empty()) {
        return CsvRow(std::move(tokens));
    }
    return CsvRow(std::move(tokens), header);
}

void CsvReader::Rewind() {
    file.Rewind();
    linesRead = 0;
    rowLine = 0;
    if (records) {
        records->Restart();
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
