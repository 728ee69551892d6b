// One process opens and closes many plot files in a row, sound ones and ones
// it must refuse or cannot write, and ends with what it started with: its
// open files and (within a small margin) its memory.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PlotFixture.h"
#include "data/PlotFile.h"

#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's runtime; GCC does not ship its header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

int OpenFileCount() {
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Heap bytes in use; AddressSanitizer's own count leaves out its quarantine.
long HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes());
#else
    return long(mallinfo2().uordblks);
#endif
}

// Empty when a sound file opened in full and any other file with a problem.
std::string Opening(const std::string& path) {
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    const bool sound = path.find("sound") != std::string::npos;
    return plot.GetOpening().problem.empty() == sound ? "" : path + " ";
}

}  // namespace

TEST(LoadCheck, TwoHundredOpeningsLeaveNoFilesOpenAndNoMemoryBehind) {
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    MakeGrid("plot.db", {{0, 0, {1, 0}}, {1, 0, {0.5, 2}}, {0, 1, {0, 1}}, {1, 1, {3, 0}}}, 2);
    std::vector<std::string> files;
    for (int i = 0; i < 50; ++i) {
        // A new sound file each time, so that each opening builds its index tables.
        files.push_back("sound" + std::to_string(i) + ".db");
        std::filesystem::copy_file("plot.db", files.back());
        files.insert(files.end(), {i % 2 ? "notes.db" : "people.db",
                                   i % 2 ? "writing.db" : "busy.db", i % 2 ? "ro1.db" : "ro2.db"});
    }
    for (const char* copy : {"writing.db", "busy.db", "ro1.db", "ro2.db"}) {
        std::filesystem::copy_file("plot.db", copy);
    }
    for (const std::string& file : files) {
        chmod(file.c_str(), file.rfind("ro", 0) == 0 ? 0444 : 0666);
    }
    WriteFile("notes.db", "these are notes, not a plot\n");
    ExecSql("people.db", "CREATE TABLE people (name TEXT);");
    // One program writes to a file, another keeps even readers out of one.
    LockHolder writing("writing.db", "BEGIN IMMEDIATE", std::chrono::minutes(2));
    LockHolder busy("busy.db", "BEGIN EXCLUSIVE", std::chrono::minutes(2));

    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // As user nobody when run as root, so that read-only files are.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(99);
        }
        Connection::SetLockWait(std::chrono::milliseconds(20));
        std::string problems;
        // One of each first: what SQLite and the toolkit set up for good on first use.
        for (size_t i = 0; i < 4; ++i) {
            problems += Opening(files[i]);
        }
        const int filesBefore = OpenFileCount();
        const long heapBefore = HeapInUse();
        for (const std::string& file : files) {
            problems += Opening(file);
        }
        problems += OpenFileCount() == filesBefore ? "" : "open files left behind ";
        problems += HeapInUse() - heapBefore < 256 * 1024 ? "" : "memory left behind";
        std::ofstream("report.txt") << problems;
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 99) {
        GTEST_SKIP() << "cannot drop root rights here";
    }
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile("report.txt"), "");
}
