#include "data/SourceCheck.h"

#include <sqlite3.h>

#include "base/Text.h"
#include "db/Row.h"
#include "db/SqlText.h"

namespace {

// The columns a query's rows carry, told without running it and without a
// line in the logs when it does not compile (its reading reports that).
std::vector<std::string> ColumnsOf(Database& database, const std::string& sql) {
    std::vector<std::string> names;
    sqlite3* handle = database.GetConnection() ? database.GetConnection()->Handle() : nullptr;
    sqlite3_stmt* statement = nullptr;
    if (handle && sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        for (int i = 0; statement && i < sqlite3_column_count(statement); ++i) {
            names.push_back(ResultColumnName(statement, i));
        }
    }
    sqlite3_finalize(statement);
    return names;
}

}  // namespace

SourceCheck::SourceCheck(Database database, const char* dataTable, const std::string& sourceSql)
    : database(database), dataTable(dataTable) {
    const std::string table = dataTable ? dataTable : "";
    wholeTable =
        sourceSql == "SELECT * FROM " + table || sourceSql == "SELECT * FROM " + SqlName(table);
    if (!wholeTable) {
        columns = ColumnsOf(this->database, sourceSql);
    }
}

SourceSignature SourceCheck::Current(GridSource* source) {
    if (const std::optional<TableState> known = database.GetKnownState(dataTable)) {
        return SignatureOf(*known, columns);
    }
    if (wholeTable && source) {
        source->GetCells();
        if (source->IsReadComplete()) {
            database.SetKnownState(dataTable, source->GetReadState(), source->GetReadVersion());
            return SignatureOf(source->GetReadState(), columns);
        }
    }
    return SignatureOf(database.ReadTableState(dataTable), columns);
}

SourceCheck::Verdict SourceCheck::Check(const std::string& indexTable, GridSource& source) {
    Verdict verdict;
    const std::optional<SourceSignature> built = database.GetIndexSource(indexTable);
    if (!built) {
        verdict.outOfDate = true;
        verdict.recorded = false;
        verdict.reason =
            std::string("there is no record of what ") + dataTable + " held when it was built";
        return verdict;
    }
    verdict.reason = DescribeChange(*built, Current(&source), dataTable);
    verdict.outOfDate = !verdict.reason.empty();
    return verdict;
}

void SourceCheck::RecordBuild(const std::string& indexTable, GridSource& source) {
    SourceSignature signature;
    if (!wholeTable) {
        signature = Current(nullptr);
    } else if (source.IsReadComplete()) {
        database.SetKnownState(dataTable, source.GetReadState(), source.GetReadVersion());
        signature = SignatureOf(source.GetReadState(), columns);
    } else {
        // Built from rows that may not be all of them: the next opening
        // must find it out of date.
        signature.rows = -1;
    }
    database.SetIndexSource(indexTable, dataTable, signature);
}

void SourceCheck::Keep() {
    database.KeepKnownState(dataTable);
}

std::vector<std::string> TextValueWarnings(const Database& database, const char* table) {
    std::vector<std::string> warnings;
    const TableState* state = database.GetLastState(table);
    if (!state) {
        return warnings;
    }
    for (size_t i = 3; i < state->columns.size(); ++i) {
        const ColumnState& column = state->columns[i];
        if (column.textRow > 0) {
            warnings.push_back("the column " + Quoted(column.name) + " of " + table +
                               " holds text that is not a number (" + Quoted(column.text) +
                               ", first in row " + std::to_string(column.textRow) +
                               "); such values count as no uptake");
        }
    }
    return warnings;
}
