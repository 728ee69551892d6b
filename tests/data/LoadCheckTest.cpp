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
#include "render/RenderHelper.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/allocator_interface.h>
#endif

namespace {

using namespace std::chrono_literals;

int OpenFileCount() {
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator()));
}

// Heap bytes in use; under AddressSanitizer freed memory waits in its
// quarantine, which the sanitizer's own count leaves out.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

enum class Kind { Sound, Refused, Locked, ReadOnly };

struct PlotFile {
    std::string path;
    Kind kind;
};

void MakeSmallPlot(const std::string& path) {
    std::vector<FixtureCell> cells;
    for (int i = 0; i < 25; ++i) {
        cells.push_back({double(i % 5), double(i / 5), {0.5 * (i % 3), 1.0}});
    }
    MakeGrid(path, cells, 2);
    ExecSql(path,
            "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, Crown_d_m "
            "double); INSERT INTO stem VALUES ('T1', 1, 1, 0.2, 2);");
}

// Empty when the opening ended as a file of its kind must.
std::string CheckOpening(const PlotFile& file) {
    RenderHelper helper(wxString::FromUTF8(file.path.c_str()), ProgressMonitor(0, 0));
    const RenderHelper::OpenStatus status = helper.GetOpenStatus();
    const wxString problem = helper.GetOpenProblem();
    bool expected = false;
    switch (file.kind) {
        case Kind::Sound:
            expected = status == RenderHelper::OpenStatus::Loaded;
            break;
        case Kind::Refused:
            expected = status == RenderHelper::OpenStatus::NoPlotData;
            break;
        case Kind::Locked:
            expected = problem.Contains("locked by another program");
            break;
        case Kind::ReadOnly:
            expected =
                status == RenderHelper::OpenStatus::IndexFailed && problem.Contains("read-only");
            break;
    }
    return expected ? "" : file.path + ": " + std::string(problem.utf8_str().data()) + "\n";
}

// Runs the openings and writes what went wrong to the report; rights are
// those of user nobody when the test runs as root, so that read-only files are.
[[noreturn]] void RunOpenings(const std::vector<PlotFile>& files, const std::string& report) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(99);
    }
    Connection::SetLockWait(20ms);
    std::string problems;
    // Once of each kind first, so that what SQLite and the toolkit set up
    // for good on first use is there before counting.
    for (size_t i = 0; i < 4; ++i) {
        problems += CheckOpening(files[i]);
    }
    const int filesBefore = OpenFileCount();
    const size_t heapBefore = HeapInUse();
    for (const PlotFile& file : files) {
        problems += CheckOpening(file);
    }
    const int filesAfter = OpenFileCount();
    const long growth = long(HeapInUse()) - long(heapBefore);
    if (filesAfter != filesBefore) {
        problems += "open files " + std::to_string(filesBefore) + " -> " +
                    std::to_string(filesAfter) + "\n";
    }
    if (growth > 256 * 1024) {
        problems += "heap grew by " + std::to_string(growth) + " bytes\n";
    }
    std::ofstream(report) << problems;
    _exit(0);
}

}  // namespace

TEST(LoadCheck, TwoHundredOpeningsLeaveNoFilesOpenAndNoMemoryBehind) {
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::vector<std::string> lockedPaths = {dir.File("writing.db"), dir.File("busy.db")};
    const std::vector<std::string> readOnlyPaths = {dir.File("ro1.db"), dir.File("ro2.db")};
    const std::string plot = dir.File("plot.db");
    MakeSmallPlot(plot);
    auto copyOfPlot = [&plot](const std::string& path) { std::filesystem::copy_file(plot, path); };
    for (const std::string& path : lockedPaths) {
        copyOfPlot(path);
        chmod(path.c_str(), 0666);
    }
    for (const std::string& path : readOnlyPaths) {
        copyOfPlot(path);
        chmod(path.c_str(), 0444);
    }
    WriteFile(dir.File("notes.db"), "these are notes, not a plot\n");
    ExecSql(dir.File("people.db"), "CREATE TABLE people (name TEXT);");

    std::vector<PlotFile> files;
    for (int i = 0; i < 50; ++i) {
        // A new sound file each time, so that every one of them builds its index tables.
        const std::string sound = dir.File("sound" + std::to_string(i) + ".db");
        copyOfPlot(sound);
        chmod(sound.c_str(), 0666);
        files.push_back({sound, Kind::Sound});
        files.push_back({dir.File(i % 2 ? "notes.db" : "people.db"), Kind::Refused});
        files.push_back({lockedPaths[i % 2], Kind::Locked});
        files.push_back({readOnlyPaths[i % 2], Kind::ReadOnly});
    }
    // One program writes to a file, another keeps even readers out of one.
    LockHolder writing(lockedPaths[0], "BEGIN IMMEDIATE", 120s, "UPDATE stem SET dbh = 1");
    LockHolder exclusive(lockedPaths[1], "BEGIN EXCLUSIVE", 120s);

    const std::string report = dir.File("report.txt");
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        RunOpenings(files, report);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    if (WEXITSTATUS(status) == 99) {
        GTEST_SKIP() << "cannot drop root rights here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(report), "");
}
