// Helpers of the command-line tests: running the real quenvar program, small
// plot files, reading pictures and comparing a file's own tables.
#pragma once

#include <wx/image.h>

#include <map>
#include <string>
#include <vector>

#include "TestPlot.h"
#include "TestSupport.h"

struct ProgramRun {
    int exitCode = -1;  // -1 when the program did not end by itself
    std::string out;
    std::string err;
};

struct RunOptions {
    bool withoutDisplay = false;  // DISPLAY and WAYLAND_DISPLAY removed
    bool asNobody = false;        // the rights of user nobody (tests may run as root)
    long fileSizeLimit = 0;       // bytes any file may reach (a full disk), 0 for none
    std::string display = "";     // DISPLAY for the program, when not empty
};

// Runs the quenvar binary of this build in the working directory.
ProgramRun RunQuenvar(const std::vector<std::string>& args, RunOptions options = {});
// Runs another program, found on PATH unless the name holds a slash.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      RunOptions options = {});

// Whether a run asked to be user nobody got to run the program at all: as
// root the child gives up its rights first (125 when it cannot), and nobody
// may not reach a build that lies in a folder only root can enter (127).
// A test that needs it skips with kCannotRunAsNobody otherwise.
bool ReachedTheProgram(const ProgramRun& run);
const char* const kCannotRunAsNobody = "cannot run the program as user nobody here";

// Runs `quenvar --export OUT ...args... FILE`, without a display: the
// export needs none.
ProgramRun Export(const std::string& out, const std::string& file,
                  const std::vector<std::string>& args = {});

struct Rgb {
    int r;
    int g;
    int b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};

wxImage LoadPng(const std::string& path);
// The values of an ESRI ASCII grid, north row first, after its six header lines.
std::vector<double> AsciiGridValues(const std::string& path);
Rgb PixelAt(const wxImage& image, int x, int y);
// The number of pixels that are not black.
int LitPixels(const wxImage& image);

// Everything a plot file holds outside Quenvar's own tables (the catalogue
// "_db_..." and the index tables "_idx_..."): each table's schema and its
// rows, every value with its storage type.
std::map<std::string, std::vector<std::string>> UserTables(const std::string& path);
// The names of Quenvar's own tables in the file.
std::vector<std::string> OwnTables(const std::string& path);
