#include "TestSupport.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

TempDir::TempDir() {
    char pattern[] = "/tmp/quenvar-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    path = made ? made : "/tmp";
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
}

void PumpPending() {
    if (!wxTheApp) {
        return;
    }
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop) {
        while (loop->Pending()) {
            loop->Dispatch();
        }
    }
    wxTheApp->ProcessPendingEvents();
    if (loop) {
        loop->YieldFor(wxEVT_CATEGORY_ALL);
    }
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        PumpPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> RunMessages() {
    std::vector<std::string> messages;
    for (const std::string& line : ReadLines("run.log")) {
        const size_t tag = line.find("(run) ");
        if (tag != std::string::npos) {
            messages.push_back(line.substr(tag + 6));
        }
    }
    return messages;
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

void ExecSql(const std::string& dbPath, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << "\n" << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

std::vector<std::string> QueryColumn(const std::string& dbPath, const std::string& sql) {
    std::vector<std::string> values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << dbPath;
        sqlite3_close(db);
        return values;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return values;
}

namespace {

// The child's side of a LockHolder; only SQLite and system calls, no toolkit.
[[noreturn]] void HoldLock(const std::string& path, const std::string& begin,
                           std::chrono::milliseconds hold, const std::string& sql, int readyFd,
                           int releaseFd) {
    sqlite3* db = nullptr;
    char ready = 0;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_exec(db, (begin + ";" + sql).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        ready = 1;
    }
    if (write(readyFd, &ready, 1) != 1 || !ready) {
        _exit(1);
    }
    pollfd release{releaseFd, POLLIN, 0};
    const bool released = poll(&release, 1, static_cast<int>(hold.count())) > 0;
    sqlite3_exec(db, released ? "ROLLBACK" : "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    // Until the parent lets go, so that Release always finds the child.
    if (!released) {
        poll(&release, 1, -1);
    }
    _exit(0);
}

}  // namespace

LockHolder::LockHolder(const std::string& path, const std::string& begin,
                       std::chrono::milliseconds hold, const std::string& sql) {
    int ready[2];
    int release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) {
        ADD_FAILURE() << "no pipe";
        return;
    }
    fflush(nullptr);
    pid = fork();
    if (pid == 0) {
        close(ready[0]);
        close(release[1]);
        HoldLock(path, begin, hold, sql, ready[1], release[0]);
    }
    close(ready[1]);
    close(release[0]);
    releaseFd = release[1];
    char answer = 0;
    const bool holding = pid > 0 && read(ready[0], &answer, 1) == 1 && answer == 1;
    close(ready[0]);
    EXPECT_TRUE(holding) << "the child could not lock " << path;
}

LockHolder::~LockHolder() {
    Release();
}

void LockHolder::Release() {
    if (releaseFd >= 0) {
        close(releaseFd);
        releaseFd = -1;
    }
    if (pid > 0) {
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

std::string IntegrityOf(const std::string& dbPath) {
    const std::vector<std::string> verdict = QueryColumn(dbPath, "PRAGMA integrity_check");
    return verdict.empty() ? "no verdict" : verdict[0];
}
