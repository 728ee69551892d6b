// What the benchmark programs share: timing, medians, the benchmark plots and
// the options that choose them, the two floors every figure is divided by, a
// scratch folder and the peak memory of a process.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/PlotGenerator.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Millis(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A benchmark plot and the makeplot command that writes the same file.
struct Plot {
    const char* key;
    const char* title;
    PlotRequest request;
    std::string command;
};

inline std::vector<Plot> Plots() {
    PlotRequest standard;
    standard.width = 200;
    standard.height = 200;
    standard.cell = 1;
    standard.trees = 100;
    PlotRequest million;
    million.width = 500;
    million.height = 500;
    million.cell = 0.5;
    million.trees = 20;
    PlotRequest fourMillion = million;
    fourMillion.width = 1000;
    fourMillion.height = 1000;
    return {
        {"standard", "200 x 200 cells, 100 trees", standard,
         "makeplot plot.db --width 200 --height 200 --cell 1 --trees 100"},
        {"million", "1000 x 1000 half-metre cells, 20 trees", million,
         "makeplot plot.db --width 500 --height 500 --cell 0.5 --trees 20"},
        {"four-million", "2000 x 2000 half-metre cells, 20 trees", fourMillion,
         "makeplot plot.db --width 1000 --height 1000 --cell 0.5 --trees 20"},
    };
}

// The plots a --plot argument names: standard, million, four-million or all.
inline std::vector<Plot> SelectPlots(const std::string& key) {
    std::vector<Plot> chosen;
    for (const Plot& plot : Plots()) {
        if (key == "all" || key == plot.key) {
            chosen.push_back(plot);
        }
    }
    return chosen;
}

// The options of the programs that run on the benchmark plots.
struct Options {
    int runs = 5;
    std::vector<Plot> plots = Plots();
    bool keep = false;
};

// The options a program takes besides --runs, --plot and --keep: given an
// option and the argument after it (null when there is none), returns how
// many arguments it took (1, or 2 with a value), or 0 when it does not know
// the option or the option's value is missing.
using OwnOptions = std::function<int(const std::string& option, const char* value)>;

// Reads --runs N, --plot standard|million|four-million|all, --keep and the program's own
// options. False for an option that no one takes, a missing value or a --plot
// that names no plot; the program then prints its usage.
inline bool ReadOptions(int argc, char** argv, Options& options, const OwnOptions& own) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--runs" && value) {
            options.runs = std::max(1, std::atoi(value));
            ++i;
        } else if (arg == "--plot" && value) {
            options.plots = SelectPlots(value);
            ++i;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (const int taken = own ? own(arg, value) : 0) {
            i += taken - 1;
        } else {
            return false;
        }
    }
    return !options.plots.empty();
}

// The earlier floor: every value of every cell fetched once through SQLite's
// programming interface, as the simplest program reading the grid would.
// Seconds.
inline double ReadGridOnce(const std::string& path) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM grid", -1, &statement, nullptr);
    double sum = 0.0;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i) {
            sum += sqlite3_column_double(statement, i);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    const double seconds = Seconds(start);
    if (sum < 0) {
        std::printf("(negative sum)\n");  // keeps the reads from being optimised away
    }
    return seconds;
}

// The floor: SQLite's engine reading every tree value of grid once and
// summing them, without any value leaving it; the statement is the one of
// `sqlite3 FILE "select total(T1+T2+...) from grid"`. Seconds.
inline double SumGridInEngine(const std::string& path) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM grid", -1, &statement, nullptr);
    std::string terms;
    for (int i = 3; statement && i < sqlite3_column_count(statement); ++i) {
        std::string quoted = "\"";
        for (const char* c = sqlite3_column_name(statement, i); c && *c; ++c) {
            quoted += *c == '"' ? "\"\"" : std::string(1, *c);
        }
        terms += (terms.empty() ? "" : "+") + quoted + "\"";
    }
    sqlite3_finalize(statement);
    const std::string sql = "select total(" + (terms.empty() ? "0" : terms) + ") from grid";
    statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    const double sum = statement && sqlite3_step(statement) == SQLITE_ROW
                           ? sqlite3_column_double(statement, 0)
                           : 0.0;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    const double seconds = Seconds(start);
    if (sum < 0) {
        std::printf("(negative sum)\n");
    }
    return seconds;
}

// A scratch folder of this run, made the working folder so that log files
// and plots land there; removed at the end unless kept.
class WorkFolder {
  public:
    // A kept folder stays after the run, for a look at its files.
    explicit WorkFolder(bool keepIt = false) : keep(keepIt) {
        char pattern[] = "/tmp/quenvar-bench-XXXXXX";
        if (mkdtemp(pattern) && chdir(pattern) == 0) {
            path = pattern;
        }
    }
    ~WorkFolder() {
        if (path.empty() || keep) {
            return;
        }
        std::error_code ignored;
        std::filesystem::current_path("/", ignored);
        std::filesystem::remove_all(path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool IsOk() const { return !path.empty(); }
    const std::string& Path() const { return path; }

  private:
    std::string path;
    bool keep = false;
};

// The largest resident size this process has had, in MiB.
inline double PeakRssMiB(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;
}

}  // namespace bench
