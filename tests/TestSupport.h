// Helpers shared by the test programs.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// A fresh temporary folder that is the working directory while the object
// lives, so that log files and databases of one test never meet another's.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
    std::string previous;
};

// Runs the toolkit's event loop until the condition holds or the timeout
// passes; returns whether the condition held.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Handles queued events once, without waiting.
void PumpPending();

std::string ReadFile(const std::string& path);
// The messages of run.log in the working directory, without time stamps and tags.
std::vector<std::string> RunMessages();
std::vector<std::string> ReadLines(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);

// Runs SQL statements on a database file through SQLite directly, so that
// fixtures do not depend on the code under test. Fails the test on error.
void ExecSql(const std::string& dbPath, const std::string& sql);
// The first column of every row of a query, as text ("NULL" for NULL).
std::vector<std::string> QueryColumn(const std::string& dbPath, const std::string& sql);

// Another program that holds a database file's lock: a child process that
// runs `begin` ("BEGIN IMMEDIATE" keeps others from writing, "BEGIN
// EXCLUSIVE" from reading too) and then `sql`, and keeps the lock for `hold`
// before it commits, or until Release, which rolls its change back.
class LockHolder {
  public:
    LockHolder(const std::string& path, const std::string& begin, std::chrono::milliseconds hold,
               const std::string& sql = "");
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Ends the child (it rolls back when it still holds the lock) and waits for it.
    void Release();

  private:
    int pid = -1;
    int releaseFd = -1;
};

// PRAGMA integrity_check's verdict on a file ("ok" when sound).
std::string IntegrityOf(const std::string& dbPath);
