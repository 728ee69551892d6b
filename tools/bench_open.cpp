// Measures how long opening a plot takes, as ratios to the floor (reading the
// grid once through SQLite alone) measured in the same run: the first opening
// of a fresh copy (every index table built), a reopening (tables reused), a
// reopening after another program wrote to the file without changing the
// grid (the grid read once to check), and one after it changed the grid (the
// tables rebuilt), each in a process of its own so that its peak memory can
// be told. Also checks that the index tables built hold exactly what their
// definition says.
//
//   bench_open [--runs N] [--plot standard|million|all] [--keep]
//   bench_open --check FILE.db          open FILE.db and check its index tables
//   bench_open --open FILE.db           open FILE.db once (for a profiler)
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

double OpenPlot(const std::string& path, PlotOpening::Status& status) {
    const auto start = Clock::now();
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    const double seconds = bench::Seconds(start);
    status = plot.GetOpening().status;
    return seconds;
}

// One opening in a child process: its time, its peak resident memory and
// whether the plot loaded.
struct Opening {
    double seconds = 0.0;
    double peakMiB = 0.0;
    bool loaded = false;
};

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
        const double seconds = OpenPlot(path, status);
        const bool written = write(channel[1], &seconds, sizeof seconds) == sizeof seconds;
        _exit(written && status == PlotOpening::Status::Accepted ? 0 : 1);
    }
    close(channel[1]);
    if (child < 0 || read(channel[0], &opening.seconds, sizeof opening.seconds) !=
                         static_cast<ssize_t>(sizeof opening.seconds)) {
        opening.seconds = 0.0;
    }
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        opening.peakMiB = usage.ru_maxrss / 1024.0;
        opening.loaded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
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
    sqlite3_close(db);
    return ok;
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

    std::vector<double> floor, first, second, firstRatio, secondRatio, firstPeak, secondPeak;
    std::vector<double> checkedRatio, changedRatio;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        const std::string copy = std::string(plot.key) + "-copy-" + std::to_string(run) + ".db";
        std::filesystem::copy_file(made, copy);
        const std::string path = std::filesystem::absolute(copy).string();
        floor.push_back(bench::ReadGridOnce(path));
        const Opening opened = OpenInChild(path);
        const Opening reopened = OpenInChild(path);
        ok = ok && opened.loaded && reopened.loaded;
        first.push_back(opened.seconds);
        second.push_back(reopened.seconds);
        firstRatio.push_back(opened.seconds / floor.back());
        secondRatio.push_back(reopened.seconds / floor.back());
        firstPeak.push_back(opened.peakMiB);
        secondPeak.push_back(reopened.peakMiB);
        ChangeFile(path, "CREATE TABLE bench_other (x); DROP TABLE bench_other;");
        const Opening checked = OpenInChild(path);
        ChangeFile(path, "UPDATE grid SET gridcell_id = -gridcell_id WHERE rowid % 97 = 0;");
        const Opening changed = OpenInChild(path);
        ok = ok && checked.loaded && changed.loaded;
        checkedRatio.push_back(checked.seconds / floor.back());
        changedRatio.push_back(changed.seconds / floor.back());
        std::printf(
            "run %d: floor %.3f s, first opening %.3f s (%.2f x), reopening %.3f s (%.2f x), "
            "checked %.2f x, changed %.2f x\n",
            run + 1, floor.back(), first.back(), firstRatio.back(), second.back(),
            secondRatio.back(), checkedRatio.back(), changedRatio.back());
        std::fflush(stdout);
        if (run > 0) {
            std::filesystem::remove(copy);
        }
    }
    std::printf("medians of %d runs:\n", runs);
    std::printf("  floor (grid read once)   %8.3f s\n", bench::Median(floor));
    std::printf("  first opening            %8.3f s  %6.2f x floor  peak %6.0f MiB\n",
                bench::Median(first), bench::Median(firstRatio), bench::Median(firstPeak));
    std::printf("  reopening                %8.3f s  %6.2f x floor  peak %6.0f MiB\n",
                bench::Median(second), bench::Median(secondRatio), bench::Median(secondPeak));
    std::printf("  reopening, file written  %19.2f x floor  (grid read to check)\n",
                bench::Median(checkedRatio));
    std::printf("  reopening, grid changed  %19.2f x floor  (both tables rebuilt)\n",
                bench::Median(changedRatio));
    std::printf("index tables of the first copy:\n");
    const std::string firstCopy = std::string(plot.key) + "-copy-0.db";
    ok = CheckIndexTables(std::filesystem::absolute(firstCopy).string()) && ok;
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
        const double seconds = OpenPlot(check, status);
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
