// Test programs start the toolkit (under Xvfb when there is no display) so
// that drawing and window tests run like the real program.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifdef QUENVAR_PRIVATE_DISPLAY
#include "PrivateDisplay.h"
#endif

namespace {

class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// A toolkit assert would open a dialog and stall the run; fail the test instead.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assert in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

#ifndef QUENVAR_PRIVATE_DISPLAY
// Under a shared virtual display a connection now and then fails while many
// test processes start at once; the program then starts itself again, a few
// times at most, instead of failing a test that never ran.
void RestartAfterDisplayFailure(char** argv) {
    const char* previous = std::getenv("QUENVAR_TEST_RESTARTS");
    int restarts = previous ? std::atoi(previous) : 0;
    if (restarts >= 3) {
        return;
    }
    setenv("QUENVAR_TEST_RESTARTS", std::to_string(restarts + 1).c_str(), 1);
    usleep(200000 * (restarts + 1));
    execv("/proc/self/exe", argv);
}
#endif

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
    // Kept before the test framework and the toolkit take their options out.
    std::vector<char*> savedArgv(argv, argv + argc + 1);
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    wxSetAssertHandler(FailOnAssert);
#ifdef QUENVAR_SCREEN_SCALE
    // A screen of many pixels per inch, as GTK learns it at its start.
    setenv("GDK_SCALE", QUENVAR_SCREEN_SCALE, 1);
#endif
#ifdef QUENVAR_PRIVATE_DISPLAY
    std::string displayError;
    if (!StartPrivateDisplay(displayError)) {
        fprintf(stderr, "%s\n", displayError.c_str());
        return 1;
    }
#endif
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
#ifndef QUENVAR_PRIVATE_DISPLAY
        RestartAfterDisplayFailure(savedArgv.data());
#endif
        fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    // No test reads or changes the user's own settings (the recent plots),
    // nor does any program a test starts.
    char configPattern[] = "/tmp/quenvar-test-config-XXXXXX";
    const std::string config = mkdtemp(configPattern) ? configPattern : "/nonexistent";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
        wxImage::AddHandler(new wxPNGHandler);
    }
#ifdef QUENVAR_PRIVATE_DISPLAY
    // Real input reaches the program only through the toolkit's event loop,
    // which the tests run a step at a time while they wait.
    wxEventLoop loop;
    wxEventLoopActivator activeLoop(&loop);
#endif
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
#ifdef QUENVAR_PRIVATE_DISPLAY
    StopPrivateDisplay();
#endif
    return result;
}
