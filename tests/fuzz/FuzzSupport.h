// Shared by the fuzz targets (each .cpp here is a program of its own, so the
// helpers are inline). The targets need no display: they never touch windows.
#pragma once

#include <unistd.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

// Works in a fresh folder of its own, in memory where the system offers it,
// so that the log files and databases of the runs stay out of the way and
// SQLite's syncs cost little. The corpus folders and files named on the
// command line are made absolute first, since libFuzzer reads them later.
inline void EnterScratchFolder(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        const char* arg = (*argv)[i];
        if (arg[0] != '-' && arg[0] != '/') {
            (*argv)[i] = strdup(std::filesystem::absolute(arg).c_str());
        }
    }
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/quenvar-fuzz-XXXXXX" : "/tmp/quenvar-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
        std::perror("quenvar fuzz: scratch folder");
        std::abort();
    }
    static std::string scratch = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    });
}

// The toolkit's base (strings, streams, conversions) without any window.
inline void StartToolkitBase() {
    static wxInitializer toolkit;
    wxLog::EnableLogging(false);
}

inline void WriteBytes(const char* path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        std::abort();
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
}

// Removes a database with SQLite's side files, and the log files the layers append to.
inline void RemoveRunFiles(const char* database) {
    const std::string base = database;
    for (const std::string& suffix : {"", "-journal", "-wal", "-shm"}) {
        std::remove((base + suffix).c_str());
    }
    for (const char* log : {"error.log", "run.log", "console.log"}) {
        std::remove(log);
    }
}
