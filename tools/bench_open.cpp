// Measures how long opening a plot takes, as ratios to the floor measured in
// the same run (SQLite summing every tree value of the grid inside its own
// engine, as `sqlite3 FILE "select total(T1+T2+...) from grid"` does) and, in
// brackets, to the earlier floor (every value fetched through SQLite's
// interface): the first picture an export of a fresh copy writes and the end
// of that export, an export of the same copy again (its tables reused), both
// beyond what the export of a one-cell plot takes; the first opening of a
// fresh copy (every index table built; ready to draw, then with the lookup
// indexes made after), a reopening (tables reused), a reopening after another
// program wrote to the file without changing the grid (the grid read once to
// check), and one after it changed the grid (the tables rebuilt), each in a
// process of its own so that its peak memory can be told. Also checks that
// the index tables built hold exactly what their definition says.
//
//   bench_open [--runs N] [--plot standard|million|four-million|all] [--quick]
//              [--program QUENVAR] [--keep]
//   bench_open --check FILE.db          open FILE.db and check its index tables
//   bench_open --open FILE.db           open FILE.db once (for a profiler)
// --quick measures the exports alone; --program times the exports of another
// build of the program (an earlier one, for the figures before a change).
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

#include "base/HugePages.h"
#include "data/PlotFile.h"
#include "tools/BenchSupport.h"
#include "tools/IndexCheck.h"

namespace {

using bench::Clock;

// The two floors of one run, in seconds.
struct Floors {
    double engine;   // the grid summed inside SQLite
    double columns;  // every value fetched through SQLite's interface
};

// Seconds until the plot is ready to draw (as the window and the export open
// it), and until its index tables and their lookup indexes are written too.
struct Timing {
    double ready = 0.0;
    double end = 0.0;
};

Timing OpenPlot(const std::string& path, PlotOpening::Status& status) {
    const auto start = Clock::now();
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0),
                  LookupIndexes::TableLater);
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

// The program whose exports are timed: the one built beside this benchmark,
// or another given with --program (an earlier build, for figures before).
std::string exportProgram;

// The program's own export of the plot, run beside this benchmark: the first
// picture is there when its file appears under its name (it is renamed into
// place complete), the end when the program exits.
Opening ExportInChild(const std::string& path) {
    const std::string program =
        !exportProgram.empty()
            ? exportProgram
            : (std::filesystem::canonical("/proc/self/exe").parent_path() / "quenvar").string();
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

// One figure over the runs: each run's seconds, divided by either floor.
struct Series {
    explicit Series(const char* name) : name(name) {}
    const char* name;
    std::vector<double> byEngine;   // ratios to the floor
    std::vector<double> byColumns;  // ratios to the earlier floor
    std::vector<double> peaks;      // MiB, when the figure has a process of its own

    void Add(double seconds, const Floors& floors, double peakMiB = -1.0) {
        byEngine.push_back(seconds / floors.engine);
        byColumns.push_back(seconds / floors.columns);
        if (peakMiB >= 0) {
            peaks.push_back(peakMiB);
        }
    }
    void Print() const {
        if (byEngine.empty()) {
            return;
        }
        std::printf("  %-36s %7.2f x  (%5.2f x)", name, bench::Median(byEngine),
                    bench::Median(byColumns));
        if (!peaks.empty()) {
            std::printf("  peak %5.0f MiB", bench::Median(peaks));
        }
        std::printf("\n");
    }
};

// A plot of one cell, whose export costs what any export costs besides its
// plot: starting the program, the toolkit and the file.
const PlotRequest kOneCell = [] {
    PlotRequest request;
    request.width = 1;
    request.height = 1;
    request.cell = 1;
    request.trees = 1;
    return request;
}();

// The export of a one-cell plot, first and again: what every export costs
// besides its plot, taken off the exports' figures below.
Timing StartUp(const std::string& oneCell, int run) {
    const std::string copy = "one-cell-" + std::to_string(run) + ".db";
    std::filesystem::copy_file(oneCell, copy, std::filesystem::copy_options::overwrite_existing);
    const std::string path = std::filesystem::absolute(copy).string();
    Timing startUp;
    startUp.ready = ExportInChild(path).seconds.ready;
    startUp.end = ExportInChild(path).seconds.end;
    return startUp;
}

// Makes the plot in the working folder, measures it and checks the tables
// of its first copy. quick: the exports alone.
bool BenchPlot(const bench::Plot& plot, int runs, bool quick) {
    const std::string made = std::string(plot.key) + ".db";
    const std::string oneCell = "one-cell.db";
    const auto start = Clock::now();
    std::string error;
    std::filesystem::remove(oneCell);
    if (!WritePlot(made, plot.request, error) || !WritePlot(oneCell, kOneCell, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return false;
    }
    std::printf("\nPlot of %s (as `%s`), made in %.2f s\n", plot.title, plot.command.c_str(),
                bench::Seconds(start));

    std::vector<double> engineFloor, columnFloor, startUps;
    Series pictured("first picture, beyond start-up"), exported("end of that export");
    Series reexported("reopening export, beyond start-up");
    Series ready("first opening, ready"), first("  end, lookup indexes made");
    Series second("reopening"), checked("reopening, file written (grid read)");
    Series changed("reopening, grid changed (rebuilt)");
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        const std::string copy = std::string(plot.key) + "-copy-" + std::to_string(run) + ".db";
        const std::string exportCopy = std::string(plot.key) + "-export.db";
        std::filesystem::copy_file(made, copy);
        std::filesystem::copy_file(made, exportCopy,
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string path = std::filesystem::absolute(copy).string();
        const std::string exportPath = std::filesystem::absolute(exportCopy).string();
        const Floors floors{bench::SumGridInEngine(path), bench::ReadGridOnce(path)};
        engineFloor.push_back(floors.engine);
        columnFloor.push_back(floors.columns);
        const Timing startUp = StartUp(oneCell, run);
        startUps.push_back(startUp.ready);
        const Opening exportedOnce = ExportInChild(exportPath);
        const Opening exportedAgain = ExportInChild(exportPath);
        ok = ok && exportedOnce.loaded && exportedAgain.loaded;
        pictured.Add(exportedOnce.seconds.ready - startUp.ready, floors);
        exported.Add(exportedOnce.seconds.end, floors, exportedOnce.peakMiB);
        reexported.Add(exportedAgain.seconds.end - startUp.end, floors, exportedAgain.peakMiB);
        if (!quick) {
            const Opening opened = OpenInChild(path);
            const Opening reopened = OpenInChild(path);
            ChangeFile(path, "CREATE TABLE bench_other (x); DROP TABLE bench_other;");
            const Opening checkedOnce = OpenInChild(path);
            ChangeFile(path, "UPDATE grid SET gridcell_id = -gridcell_id WHERE rowid % 97 = 0;");
            const Opening changedOnce = OpenInChild(path);
            ok = ok && opened.loaded && reopened.loaded && checkedOnce.loaded && changedOnce.loaded;
            ready.Add(opened.seconds.ready, floors);
            first.Add(opened.seconds.end, floors, opened.peakMiB);
            second.Add(reopened.seconds.end, floors, reopened.peakMiB);
            checked.Add(checkedOnce.seconds.end, floors);
            changed.Add(changedOnce.seconds.end, floors);
        }
        std::printf(
            "run %d: floor %.3f s (earlier floor %.3f s), start-up %.3f s; export: first picture "
            "%.2f x, end %.2f x; reopening export %.2f x\n",
            run + 1, floors.engine, floors.columns, startUp.ready, pictured.byEngine.back(),
            exported.byEngine.back(), reexported.byEngine.back());
        std::fflush(stdout);
        if (run > 0) {
            std::filesystem::remove(copy);
        }
    }
    std::printf("medians of %d runs, as ratios to the floor (and to the earlier floor):\n", runs);
    std::printf("  floor (grid summed inside SQLite)    %7.3f s\n", bench::Median(engineFloor));
    std::printf("  earlier floor (every value fetched)  %7.3f s\n", bench::Median(columnFloor));
    std::printf("  start-up (export of a one-cell plot) %7.3f s\n", bench::Median(startUps));
    std::printf("export (--layers %s):\n", kFirstPictureLayers);
    for (const Series* series :
         {&pictured, &exported, &reexported, &ready, &first, &second, &checked, &changed}) {
        series->Print();
    }
    if (!quick) {
        std::printf("index tables of the first copy:\n");
        const std::string firstCopy = std::string(plot.key) + "-copy-0.db";
        ok = CheckIndexTables(std::filesystem::absolute(firstCopy).string()) && ok;
    }
    std::printf("index tables of the last exported copy:\n");
    const std::string exportCopy = std::string(plot.key) + "-export.db";
    ok = CheckIndexTables(std::filesystem::absolute(exportCopy).string()) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();  // as the program does, for its peak memory
    bench::Options options;
    std::string check;
    bool openOnly = false;
    bool quick = false;
    const bool read =
        bench::ReadOptions(argc, argv, options, [&](const std::string& option, const char* value) {
            if ((option == "--check" || option == "--open") && value) {
                openOnly = option == "--open";
                check = std::filesystem::absolute(value).string();
                return 2;
            }
            if (option == "--program" && value) {
                exportProgram = std::filesystem::absolute(value).string();
                return 2;
            }
            if (option == "--quick") {
                quick = true;
                return 1;
            }
            return 0;
        });
    if (!read) {
        std::fprintf(stderr,
                     "usage: bench_open [--runs N] [--plot standard|million|four-million|all] "
                     "[--quick] [--program QUENVAR] [--keep]\n"
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
        ok = BenchPlot(plot, options.runs, quick) && ok;
    }
    return ok ? 0 : 1;
}
