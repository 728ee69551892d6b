// Measures how long opening a plot takes, as ratios to the floor (reading the
// grid once through SQLite alone) measured in the same run: the first opening
// of a fresh copy (every index table built; ready to draw, then with the
// lookup indexes made after), the first picture an export of a fresh copy
// writes and the end of that export, a reopening (tables reused), a
// reopening after another program wrote to the file without changing the
// grid (the grid read once to check), and one after it changed the grid (the
// tables rebuilt), each in a process of its own so that its peak memory can
// be told. Also checks that the index tables built hold exactly what their
// definition says.
//
//   bench_open [--runs N] [--plot standard|million|all] [--keep]
//   bench_open --check FILE.db          open FILE.db and check its index tables
//   bench_open --open FILE.db           open FILE.db once (for a profiler)
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/PlotFile.h"
#include "tools/BenchSupport.h"
#include "tools/IndexCheck.h"

namespace {

using bench::Clock;

// Seconds until the plot is ready to draw, and until its lookup indexes are made too.
struct Timing {
    double ready = 0.0;
    double end = 0.0;
};

Timing OpenPlot(const std::string& path, PlotOpening::Status& status) {
    const auto start = Clock::now();
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    Timing timing;
    timing.ready = bench::Seconds(start);
    plot.FinishLookupIndexes();
    timing.end = bench::Seconds(start);
    status = plot.GetOpening().status;
    return timing;
}

// One opening in a child process: its times, its peak resident memory and
// whether the plot loaded.
struct Opening {
    Timing seconds;
    double peakMiB = 0.0;
    bool loaded = false;
};

Opening WaitFor(pid_t child, Opening opening) {
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        opening.peakMiB = usage.ru_maxrss / 1024.0;
        opening.loaded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return opening;
}

Opening OpenInChild(const std::string& path) {
    Opening opening;
    int channel[2];
    if (pipe(channel) != 0) {
        return opening;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        PlotOpening::Status status;
        const Timing timing = OpenPlot(path, status);
        const bool written = write(channel[1], &timing, sizeof timing) == sizeof timing;
        _exit(written && status == PlotOpening::Status::Accepted ? 0 : 1);
    }
    close(channel[1]);
    if (child < 0 || read(channel[0], &opening.seconds, sizeof opening.seconds) !=
                         static_cast<ssize_t>(sizeof opening.seconds)) {
        opening.seconds = Timing();
    }
    close(channel[0]);
    return WaitFor(child, opening);
}

// The layers of the export whose first picture is timed.
const char* const kFirstPictureLayers = "uptake-blocks,stems-plain";

// The program's own export of the plot, run beside this benchmark: the first
// picture is there when its file appears under its name (it is renamed into
// place complete), the end when the program exits.
Opening ExportInChild(const std::string& path) {
    const std::string program =
        (std::filesystem::canonical("/proc/self/exe").parent_path() / "quenvar").string();
    const std::string picture = path + ".png";
    std::filesystem::remove(picture);
    Opening opening;
    std::fflush(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        execl(program.c_str(), program.c_str(), "--export", picture.c_str(), "--layers",
              kFirstPictureLayers, path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    bool ended = child < 0;
    while (!ended && !std::filesystem::exists(picture)) {
        ended = wait4(child, &status, WNOHANG, &usage) != 0;
        usleep(200);
    }
    opening.seconds.ready = bench::Seconds(start);
    if (!ended) {
        wait4(child, &status, 0, &usage);
    }
    opening.seconds.end = bench::Seconds(start);
    opening.peakMiB = usage.ru_maxrss / 1024.0;
    opening.loaded = child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                     std::filesystem::exists(picture);
    return opening;
}

// What another program does to the file between two openings.
void ChangeFile(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot change %s: %s\n", path.c_str(), sqlite3_errmsg(db));
    }
    sqlite3_close(db);
}

bool CheckIndexTables(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        sqlite3_close(db);
        return false;
    }
    bool ok = true;
    int lookups = 0;
    const struct {
        const char* table;
        bool uptake;
    } tables[] = {{"_idx_grid_uptake_13365", true}, {"_idx_grid_neighbor_13365", false}};
    for (const auto& t : tables) {
        const auto expected = indexcheck::ExpectedCells(db, "SELECT * FROM grid", t.uptake);
        const std::string problem = indexcheck::CompareTable(db, t.table, expected);
        if (problem.empty()) {
            std::printf("  %s: %zu rows, exactly as defined\n", t.table, expected.size());
        } else {
            std::printf("  %s: MISMATCH %s\n", t.table, problem.c_str());
            ok = false;
        }
    }
    sqlite3_exec(
        db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'TB_IDX_%'",
        [](void* lookups, int, char** values, char**) {
            *static_cast<int*>(lookups) = values[0] ? std::atoi(values[0]) : 0;
            return 0;
        },
        &lookups, nullptr);
    std::printf("  lookup indexes: %d of 8\n", lookups);
    sqlite3_close(db);
    return ok && lookups == 8;
}

// Makes the plot in the working folder, measures it and checks the tables
// of its first copy.
bool BenchPlot(const bench::Plot& plot, int runs) {
    const std::string made = std::string(plot.key) + ".db";
    const auto start = Clock::now();
    std::string error;
    if (!WritePlot(made, plot.request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return false;
    }
    std::printf("\nPlot of %s (as `%s`), made in %.2f s\n", plot.title, plot.command.c_str(),
                bench::Seconds(start));

    std::vector<double> floor, ready, first, second, pictured, exported, firstPeak, secondPeak;
    std::vector<double> exportPeak, checked, changed;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        const std::string copy = std::string(plot.key) + "-copy-" + std::to_string(run) + ".db";
        const std::string exportCopy = std::string(plot.key) + "-export.db";
        std::filesystem::copy_file(made, copy);
        std::filesystem::copy_file(made, exportCopy,
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string path = std::filesystem::absolute(copy).string();
        const double floorSeconds = bench::ReadGridOnce(path);
        floor.push_back(floorSeconds);
        const Opening exportedOnce = ExportInChild(std::filesystem::absolute(exportCopy).string());
        const Opening opened = OpenInChild(path);
        const Opening reopened = OpenInChild(path);
        ok = ok && exportedOnce.loaded && opened.loaded && reopened.loaded;
        pictured.push_back(exportedOnce.seconds.ready / floorSeconds);
        exported.push_back(exportedOnce.seconds.end / floorSeconds);
        exportPeak.push_back(exportedOnce.peakMiB);
        ready.push_back(opened.seconds.ready / floorSeconds);
        first.push_back(opened.seconds.end / floorSeconds);
        second.push_back(reopened.seconds.end / floorSeconds);
        firstPeak.push_back(opened.peakMiB);
        secondPeak.push_back(reopened.peakMiB);
        ChangeFile(path, "CREATE TABLE bench_other (x); DROP TABLE bench_other;");
        const Opening checkedOnce = OpenInChild(path);
        ChangeFile(path, "UPDATE grid SET gridcell_id = -gridcell_id WHERE rowid % 97 = 0;");
        const Opening changedOnce = OpenInChild(path);
        ok = ok && checkedOnce.loaded && changedOnce.loaded;
        checked.push_back(checkedOnce.seconds.end / floorSeconds);
        changed.push_back(changedOnce.seconds.end / floorSeconds);
        std::printf(
            "run %d: floor %.3f s; export: first picture %.2f x, end %.2f x; first opening: "
            "ready %.2f x, end %.2f x; reopening %.2f x, checked %.2f x, changed %.2f x\n",
            run + 1, floorSeconds, pictured.back(), exported.back(), ready.back(), first.back(),
            second.back(), checked.back(), changed.back());
        std::fflush(stdout);
        if (run > 0) {
            std::filesystem::remove(copy);
        }
    }
    std::printf("medians of %d runs, as ratios to the floor:\n", runs);
    std::printf("  floor (grid read once)       %8.3f s\n", bench::Median(floor));
    std::printf("  export (--layers %s)\n", kFirstPictureLayers);
    std::printf("    first picture written    %8.2f x\n", bench::Median(pictured));
    std::printf("    end, lookup indexes made %8.2f x  peak %6.0f MiB\n", bench::Median(exported),
                bench::Median(exportPeak));
    std::printf("  first opening, ready       %8.2f x\n", bench::Median(ready));
    std::printf("    end, lookup indexes made %8.2f x  peak %6.0f MiB\n", bench::Median(first),
                bench::Median(firstPeak));
    std::printf("  reopening                  %8.2f x  peak %6.0f MiB\n", bench::Median(second),
                bench::Median(secondPeak));
    std::printf("  reopening, file written    %8.2f x  (grid read to check)\n",
                bench::Median(checked));
    std::printf("  reopening, grid changed    %8.2f x  (both tables rebuilt)\n",
                bench::Median(changed));
    std::printf("index tables of the first copy:\n");
    const std::string firstCopy = std::string(plot.key) + "-copy-0.db";
    ok = CheckIndexTables(std::filesystem::absolute(firstCopy).string()) && ok;
    std::printf("index tables of the last exported copy:\n");
    const std::string exportCopy = std::string(plot.key) + "-export.db";
    ok = CheckIndexTables(std::filesystem::absolute(exportCopy).string()) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    std::string check;
    bool openOnly = false;
    const bool read =
        bench::ReadOptions(argc, argv, options, [&](const std::string& option, const char* value) {
            if ((option == "--check" || option == "--open") && value) {
                openOnly = option == "--open";
                check = std::filesystem::absolute(value).string();
                return 2;
            }
            return 0;
        });
    if (!read) {
        std::fprintf(stderr,
                     "usage: bench_open [--runs N] [--plot standard|million|all] [--keep]\n"
                     "       bench_open --check FILE.db | --open FILE.db\n");
        return 2;
    }

    if (!check.empty()) {
        PlotOpening::Status status;
        const double seconds = OpenPlot(check, status).end;
        std::printf("opened %s in %.3f s (status %d)\n", check.c_str(), seconds,
                    static_cast<int>(status));
        return openOnly || CheckIndexTables(check) ? 0 : 1;
    }

    // Log files and copies go to a folder of our own.
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::printf("Opening benchmark in %s\n", folder.Path().c_str());
    bool ok = true;
    for (const bench::Plot& plot : options.plots) {
        ok = BenchPlot(plot, options.runs) && ok;
    }
    return ok ? 0 : 1;
}
