// Measures how long opening a plot takes: reading the grid through SQLite
// alone (the floor), the first opening of a fresh file (every index table
// built) and a second opening (tables reused). Also checks that the index
// tables built hold exactly what their definition says.
//
//   bench_open [--runs N] [--keep]      200 x 200 cells, 100 trees
//   bench_open --check FILE.db          open FILE.db and check its index tables
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/PlotGenerator.h"
#include "render/RenderHelper.h"
#include "tools/IndexCheck.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Every value of every cell, as a program reading the grid once would.
double ReadGridOnce(const std::string& path) {
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

double OpenPlot(const std::string& path, RenderHelper::OpenStatus& status) {
    const auto start = Clock::now();
    RenderHelper helper(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    const double seconds = Seconds(start);
    status = helper.GetOpenStatus();
    return seconds;
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

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool keep = false;
    std::string check;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep") {
            keep = true;
        } else if (arg == "--check" && i + 1 < argc) {
            check = std::filesystem::absolute(argv[++i]).string();
        } else {
            std::fprintf(stderr, "usage: bench_open [--runs N] [--keep] | --check FILE.db\n");
            return 2;
        }
    }

    if (!check.empty()) {
        RenderHelper::OpenStatus status;
        const double seconds = OpenPlot(check, status);
        std::printf("opened %s in %.3f s (status %d)\n", check.c_str(), seconds,
                    static_cast<int>(status));
        return CheckIndexTables(check) ? 0 : 1;
    }

    // Log files and copies go to a folder of our own.
    char pattern[] = "/tmp/quenvar-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder || chdir(folder) != 0) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    PlotSpec request;
    request.width = 200;
    request.height = 200;
    request.cell = 1;
    request.trees = 100;
    std::string error;
    const auto made = Clock::now();
    if (!WritePlot("plot.db", request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return 1;
    }
    std::printf("plot of 200 x 200 cells, 100 trees made in %.3f s (in %s)\n", Seconds(made),
                folder);

    std::vector<double> floor, first, second;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        floor.push_back(ReadGridOnce("plot.db"));
        const std::string copy = "copy-" + std::to_string(run) + ".db";
        std::filesystem::copy_file("plot.db", copy);
        const std::string path = std::filesystem::absolute(copy).string();
        RenderHelper::OpenStatus status;
        first.push_back(OpenPlot(path, status));
        ok = ok && status == RenderHelper::OpenStatus::Loaded;
        second.push_back(OpenPlot(path, status));
        ok = ok && status == RenderHelper::OpenStatus::Loaded;
        std::printf("run %d: read grid %.3f s, first opening %.3f s, second opening %.3f s\n",
                    run + 1, floor.back(), first.back(), second.back());
    }
    std::printf(
        "medians of %d runs: read grid %.3f s, first opening %.3f s, second opening %.3f s\n", runs,
        Median(floor), Median(first), Median(second));
    std::printf("index tables of the first copy:\n");
    ok = CheckIndexTables(std::filesystem::absolute("copy-0.db").string()) && ok;

    if (!keep) {
        std::error_code ignored;
        std::filesystem::current_path("/", ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    return ok ? 0 : 1;
}
