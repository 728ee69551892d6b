// The installed program: `cmake --install` into a staging folder, run from
// another folder, and the Debian package of the same build.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "CliSupport.h"
#include "render/LayerTable.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class InstallTest : public testing::Test {
  protected:
    TempDir dir;
    std::string stage = dir.File("stage");
    std::string binary = stage + "/usr/bin/quenvar";

    void SetUp() override {
        setenv("DESTDIR", stage.c_str(), 1);
        const ProgramRun run =
            RunProgram(CMAKE_COMMAND, {"--install", QUENVAR_BUILD_DIR, "--prefix", "/usr"});
        unsetenv("DESTDIR");
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        fs::create_directory("elsewhere");
        fs::current_path("elsewhere");
    }

    // Opens the plot in the installed program's window, and ends it once
    // the plot is loaded; what it logged about its images is in error.log.
    void OpenInWindow(const std::string& plot) {
        fs::remove("run.log");
        const pid_t child = fork();
        if (child == 0) {
            execl(binary.c_str(), binary.c_str(), plot.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!Contains(ReadFile("run.log"), "Database loaded.") &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        ASSERT_TRUE(Contains(ReadFile("run.log"), "Database loaded."));
    }
};

}  // namespace

TEST_F(InstallTest, InstalledProgramImportsExportsAndFindsItsImages) {
    for (const char* file :
         {"share/applications/quenvar.desktop", "share/man/man1/quenvar.1",
          "share/icons/hicolor/48x48/apps/quenvar.png", "share/quenvar/zoom-in.png"}) {
        EXPECT_TRUE(fs::exists(stage + "/usr/" + file)) << file;
    }
    WriteFile("grid.csv", "x_coord,y_coord,Oak\n0,0,1\n1,0,0.5\n0,1,0.25\n1,1,0\n");
    WriteFile("stems.csv", "Tree,Xrot0,Yrot0,dbh\nOak,0.5,0.5,0.3\n");
    // The command line needs no display, installed as built.
    ProgramRun run =
        RunProgram(binary, {"import", "grid.csv", "stems.csv", "plot.db"}, {true, false});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = RunProgram(binary,
                     {"--export", "plot.png", "--layers", "uptake-blocks,stems-dbh", "plot.db"},
                     {true, false});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(LitPixels(LoadPng("plot.png")), 0);

    OpenInWindow("plot.db");
    EXPECT_FALSE(Contains(ReadFile("error.log"), "Cannot load the image"));
    // The same check fails when the installed images are missing.
    fs::rename(stage + "/usr/share/quenvar", stage + "/usr/share/moved");
    OpenInWindow("plot.db");
    EXPECT_TRUE(Contains(ReadFile("error.log"), "Cannot load the image"));
}

TEST_F(InstallTest, DebianPackageHasComputedDependenciesAndTheFiles) {
    const ProgramRun pack =
        RunProgram(CPACK_COMMAND,
                   {"-G", "DEB", "--config", std::string(QUENVAR_BUILD_DIR) + "/CPackConfig.cmake",
                    "-B", dir.File("package")});
    ASSERT_EQ(pack.exitCode, 0) << pack.out << pack.err;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(dir.File("package"))) {
        if (entry.path().extension() == ".deb") {
            deb = entry.path().string();
        }
    }
    ASSERT_FALSE(deb.empty());
    const ProgramRun fields =
        RunProgram("dpkg-deb", {"-f", deb, "Package", "Section", "Depends", "Description"});
    EXPECT_TRUE(Contains(fields.out, "Package: quenvar\n")) << fields.out;
    EXPECT_TRUE(Contains(fields.out, "Section: science\n")) << fields.out;
    for (const char* library : {"libsqlite3-0", "libwxgtk3.2", "libc6"}) {
        EXPECT_TRUE(Contains(fields.out, library)) << library << " in " << fields.out;
    }
    EXPECT_TRUE(Contains(fields.out, "forest plot")) << fields.out;
    const ProgramRun files = RunProgram("dpkg-deb", {"-c", deb});
    EXPECT_TRUE(Contains(files.out, "./usr/bin/quenvar\n")) << files.out;
    EXPECT_TRUE(Contains(files.out, "./usr/share/quenvar/zoom-out.png\n")) << files.out;
}

TEST(ManPage, NamesEveryOptionAndLayerKey) {
    const std::string page = ReadFile(std::string(QUENVAR_SOURCE_DIR) + "/packaging/quenvar.1");
    // The page writes every hyphen as \-.
    auto roff = [](std::string text) {
        for (size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 2)) {
            text.insert(at, "\\");
        }
        return text;
    };
    for (const LayerDef& layer : LayerCatalogue()) {
        EXPECT_TRUE(Contains(page, ".B " + roff(layer.key) + "\n")) << layer.key;
    }
    const std::string usage = RunQuenvar({"--help"}).out;
    for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        const std::string option =
            usage.substr(at, usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at) - at);
        EXPECT_TRUE(Contains(page, roff(option))) << option;
    }
}
