#include "CliSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include "db/SqlText.h"

namespace {

const uid_t kNobody = 65534;

// Where the child's output goes before it is read back.
std::string OutputFile(const char* name) {
    return std::string(".quenvar-") + name + "-" + std::to_string(getpid());
}

}  // namespace

ProgramRun RunQuenvar(const std::vector<std::string>& args, RunOptions options) {
    return RunProgram(QUENVAR_BINARY, args, options);
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      RunOptions options) {
    const std::string outFile = OutputFile("out");
    const std::string errFile = OutputFile("err");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
            _exit(126);
        }
        if (options.withoutDisplay) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (!options.display.empty()) {
            setenv("DISPLAY", options.display.c_str(), 1);
        }
        if (options.asNobody && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(125);
        }
        if (options.fileSizeLimit > 0) {
            // Writes past the limit then fail with EFBIG instead of killing the program.
            signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = rlim_t(options.fileSizeLimit);
            const rlimit size{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &size) != 0) {
                _exit(124);
            }
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    unlink(outFile.c_str());
    unlink(errFile.c_str());
    return run;
}

bool ReachedTheProgram(const ProgramRun& run) {
    return run.exitCode != 125 && run.exitCode != 127;
}

ProgramRun Export(const std::string& out, const std::string& file,
                  const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--export", out};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(file);
    RunOptions options;
    options.withoutDisplay = true;
    return RunQuenvar(all, options);
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

wxImage LoadPng(const std::string& path) {
    wxImage image;
    EXPECT_TRUE(image.LoadFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG)) << path;
    return image;
}

Rgb PixelAt(const wxImage& image, int x, int y) {
    return Rgb{image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

int LitPixels(const wxImage& image) {
    int lit = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            lit += PixelAt(image, x, y) != kBlack;
        }
    }
    return lit;
}

namespace {

bool OwnTable(const std::string& name) {
    return name.rfind("_db_", 0) == 0 || name.rfind("_idx_", 0) == 0;
}

std::vector<std::vector<std::string>> Rows(sqlite3* db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        rows.push_back({"error: " + std::string(sqlite3_errmsg(db))});
    }
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row.push_back(std::to_string(sqlite3_column_type(statement, i)) + ":" +
                          (text ? reinterpret_cast<const char*>(text) : ""));
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
}

std::vector<std::string> TableNames(const std::string& path) {
    sqlite3* db = nullptr;
    std::vector<std::string> names;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const auto& row :
             Rows(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            names.push_back(row[0].substr(row[0].find(':') + 1));
        }
    }
    sqlite3_close_v2(db);
    return names;
}

}  // namespace

std::map<std::string, std::vector<std::string>> UserTables(const std::string& path) {
    std::map<std::string, std::vector<std::string>> tables;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return tables;
    }
    for (const std::string& name : TableNames(path)) {
        if (OwnTable(name)) {
            continue;
        }
        std::vector<std::string>& lines = tables[name];
        for (const auto& row :
             Rows(db, "SELECT sql FROM sqlite_master WHERE name = " + SqlLiteral(name))) {
            lines.push_back(row[0]);
        }
        for (const auto& row : Rows(db, "SELECT * FROM " + SqlName(name) + " ORDER BY rowid")) {
            std::string line;
            for (const std::string& value : row) {
                line += value + "|";
            }
            lines.push_back(line);
        }
    }
    sqlite3_close_v2(db);
    return tables;
}

std::vector<std::string> OwnTables(const std::string& path) {
    std::vector<std::string> own;
    for (const std::string& name : TableNames(path)) {
        if (OwnTable(name)) {
            own.push_back(name);
        }
    }
    return own;
}

std::vector<double> AsciiGridValues(const std::string& path) {
    std::istringstream text(ReadFile(path));
    std::string line;
    for (int i = 0; i < 6 && std::getline(text, line); ++i) {
    }
    std::vector<double> values;
    for (double value; text >> value;) {
        values.push_back(value);
    }
    return values;
}
