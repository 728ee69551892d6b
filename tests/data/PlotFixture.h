// Reading back hand-made plot databases, and an SQL trace, for the
// data-model tests.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "TestPlot.h"
#include "TestSupport.h"
#include "db/Database.h"

// Every row of a query, its columns joined by commas (SQLite's own text of
// each value, "NULL" for NULL).
inline std::vector<std::string> QueryRows(const std::string& path, const std::string& sql) {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row += (i ? "," : "") +
                       std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

inline bool SchemaHas(const std::string& path, const std::string& type, const std::string& name) {
    return !QueryColumn(path, "SELECT name FROM sqlite_master WHERE type = '" + type +
                                  "' AND name = '" + name + "'")
                .empty();
}

// Records the text of every statement the connection runs.
class SqlTrace {
  public:
    explicit SqlTrace(Database& database) : handle(database.GetConnection()->Handle()) {
        sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, Record, this);
    }
    ~SqlTrace() { sqlite3_trace_v2(handle, 0, nullptr, nullptr); }
    SqlTrace(const SqlTrace&) = delete;
    SqlTrace& operator=(const SqlTrace&) = delete;

    const std::vector<std::string>& Statements() const { return statements; }
    // The statements that begin with the prefix (after leading blanks and tabs).
    std::vector<std::string> StartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& text : statements) {
            size_t start = text.find_first_not_of(" \t");
            if (start != std::string::npos && text.compare(start, prefix.size(), prefix) == 0) {
                found.push_back(text);
            }
        }
        return found;
    }

  private:
    sqlite3* handle;
    std::vector<std::string> statements;

    static int Record(unsigned, void* context, void*, void* text) {
        static_cast<SqlTrace*>(context)->statements.push_back(static_cast<const char*>(text));
        return 0;
    }
};
