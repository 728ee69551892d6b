// Measures `quenvar import` against the sqlite3 shell's `.import` of the same
// delimited files (the floor, measured in the same run), as ratios, with the
// import's peak memory; and the same pair gzip-compressed against the plain
// pair, which is the ratio per byte of text. The pair is each benchmark
// plot's grid and stem tables as the sqlite3 shell writes them (`-csv
// -header`). Each import runs as a program of its own, as a user runs it.
//
//   bench_import [--runs N] [--plot standard|million|all] [--keep] [--quenvar PATH]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/PlotGenerator.h"
#include "tools/BenchSupport.h"

namespace {

using bench::Clock;

struct Run {
    double seconds = 0.0;
    double peakMiB = 0.0;
    bool ok = false;
};

// Runs a program with its output to a file (or to nowhere), and waits for it.
Run RunProgram(const std::vector<std::string>& args, const std::string& output = "/dev/null") {
    Run run;
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        dup2(out, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        run.seconds = bench::Seconds(start);
        run.peakMiB = usage.ru_maxrss / 1024.0;
        run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return run;
}

bool Gzip(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    gzFile out = gzopen(to.c_str(), "wb");
    if (!in || !out) {
        return false;
    }
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    while (ok && in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        const int count = int(in.gcount());
        ok = count == 0 || gzwrite(out, buffer.data(), unsigned(count)) == count;
    }
    return gzclose(out) == Z_OK && ok;
}

// The plot, and its two tables as delimited text, plain and compressed.
bool MakePair(const bench::Plot& plot) {
    std::string error;
    const std::string db = std::string(plot.key) + ".db";
    if (!WritePlot(db, plot.request, error)) {
        std::fprintf(stderr, "cannot make the plot: %s\n", error.c_str());
        return false;
    }
    for (const char* table : {"grid", "stem"}) {
        const std::string text = std::string(table) + ".csv";
        if (!RunProgram({"sqlite3", "-csv", "-header", db, std::string("SELECT * FROM ") + table},
                        text)
                 .ok ||
            !Gzip(text, text + ".gz")) {
            std::fprintf(stderr, "cannot write %s (is the sqlite3 shell installed?)\n",
                         text.c_str());
            return false;
        }
    }
    return true;
}

bool BenchPlot(const bench::Plot& plot, int runs, const std::string& quenvar) {
    std::printf("\nPlot of %s (as `%s`)\n", plot.title, plot.command.c_str());
    if (!MakePair(plot)) {
        return false;
    }
    std::printf("grid.csv %.1f MiB, grid.csv.gz %.1f MiB\n",
                std::filesystem::file_size("grid.csv") / 1048576.0,
                std::filesystem::file_size("grid.csv.gz") / 1048576.0);
    std::vector<double> floor, plain, packed, plainRatio, packedRatio, peak;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        std::filesystem::remove("shell.db");
        const Run shell = RunProgram(
            {"sqlite3", "shell.db", ".import --csv grid.csv grid", ".import --csv stem.csv stem"});
        const Run text =
            RunProgram({quenvar, "import", "grid.csv", "stem.csv", "plain.db", "--force"});
        const Run gz =
            RunProgram({quenvar, "import", "grid.csv.gz", "stem.csv.gz", "packed.db", "--force"});
        ok = ok && shell.ok && text.ok && gz.ok;
        floor.push_back(shell.seconds);
        plain.push_back(text.seconds);
        packed.push_back(gz.seconds);
        plainRatio.push_back(text.seconds / shell.seconds);
        packedRatio.push_back(gz.seconds / text.seconds);
        peak.push_back(text.peakMiB);
        std::printf(
            "run %d: sqlite3 .import %.3f s, quenvar import %.3f s (%.2f x), from gzip %.3f s "
            "(%.2f x the plain text), peak %.0f MiB\n",
            run + 1, shell.seconds, text.seconds, plainRatio.back(), gz.seconds, packedRatio.back(),
            peak.back());
        std::fflush(stdout);
    }
    std::printf("medians of %d runs:\n", runs);
    std::printf("  sqlite3 .import (floor)  %8.3f s\n", bench::Median(floor));
    std::printf("  quenvar import           %8.3f s  %6.2f x floor  peak %6.0f MiB\n",
                bench::Median(plain), bench::Median(plainRatio), bench::Median(peak));
    std::printf("  quenvar import, gzip     %8.3f s  %6.2f x the plain text\n",
                bench::Median(packed), bench::Median(packedRatio));
    if (!ok) {
        std::printf("  FAILED: an import did not end well\n");
    }
    return ok;
}

std::string ProgramBesideThis(const char* name) {
    std::error_code ignored;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored);
    return (self.parent_path() / name).string();
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    std::string quenvar = ProgramBesideThis("quenvar");
    const bool read =
        bench::ReadOptions(argc, argv, options, [&](const std::string& option, const char* value) {
            if (option == "--quenvar" && value) {
                quenvar = std::filesystem::absolute(value).string();
                return 2;
            }
            return 0;
        });
    if (!read) {
        std::fprintf(stderr,
                     "usage: bench_import [--runs N] [--plot standard|million|all] [--keep] "
                     "[--quenvar PATH]\n");
        return 2;
    }
    bench::WorkFolder folder(options.keep);
    if (!folder.IsOk()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    std::printf("Import benchmark in %s, with %s\n", folder.Path().c_str(), quenvar.c_str());
    bool ok = true;
    for (const bench::Plot& plot : options.plots) {
        ok = BenchPlot(plot, options.runs, quenvar) && ok;
        for (const char* name : {"shell.db", "plain.db", "packed.db"}) {
            std::filesystem::remove(name);
        }
    }
    return ok ? 0 : 1;
}
