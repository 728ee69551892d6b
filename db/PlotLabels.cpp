#include "db/PlotLabels.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/PendingFile.h"
#include "base/Text.h"
#include "db/Connection.h"
#include "db/Database.h"

namespace {

// The first column of every row as text; stops where SQLite cannot read on.
std::vector<std::string> FirstColumn(sqlite3_stmt* statement) {
    std::vector<std::string> values;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        values.push_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    return values;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

PlotLabels ReadPlotLabels(const char* path) {
    PlotLabels labels;
    sqlite3* handle = nullptr;
    if (!path || sqlite3_open_v2(path, &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(handle);
        return labels;
    }
    Connection::WaitForLocks(handle);
    sqlite3_stmt* statement = nullptr;
    // The tree names are the grid's column names, whether or not it has rows.
    if (sqlite3_prepare_v2(handle, "SELECT * FROM grid", -1, &statement, nullptr) == SQLITE_OK) {
        for (int i = 3; i < sqlite3_column_count(statement); ++i) {
            const char* name = sqlite3_column_name(statement, i);
            labels.treeNames.push_back(name ? name : "");
        }
    }
    sqlite3_finalize(statement);
    statement = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT Tree FROM stem", -1, &statement, nullptr) == SQLITE_OK) {
        labels.stemLabels = FirstColumn(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close_v2(handle);
    return labels;
}

bool CheckPlotRequest(const std::string& path, const std::vector<std::string>& stems,
                      std::string& error) {
    if (!CheckReadableFile(path, error)) {
        return false;
    }
    error = ProbeRefusal(Database::Probe(path.c_str()), path);
    if (!error.empty()) {
        return false;
    }
    if (!stems.empty()) {
        const PlotLabels labels = ReadPlotLabels(path.c_str());
        for (const std::string& stem : stems) {
            if (!Contains(labels.treeNames, stem) && !Contains(labels.stemLabels, stem)) {
                error = "no tree or stem is labelled " + Quoted(stem) + " in " + Quoted(path);
                return false;
            }
        }
    }
    return true;
}
