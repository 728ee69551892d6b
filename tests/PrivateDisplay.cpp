#include "PrivateDisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

pid_t serverPid = -1;
pid_t managerPid = -1;

// Runs a program that dies with this process, even when a time limit kills it.
pid_t Spawn(const std::vector<std::string>& args, int keepFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (int fd = 3; fd < 256; ++fd) {
        if (fd != keepFd) {
            close(fd);
        }
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Reaps the child once it has ended, and forgets it.
bool Exited(pid_t& pid) {
    if (pid <= 0) {
        return true;
    }
    int status = 0;
    const pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid || reaped < 0) {
        pid = -1;
        return true;
    }
    return false;
}

// Xvfb writes the display number it chose once it accepts connections.
bool ReadDisplayNumber(int fd, std::string& number) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) > 0) {
            char c = 0;
            if (read(fd, &c, 1) != 1) {
                return false;
            }
            if (c == '\n') {
                return !number.empty();
            }
            number += c;
        }
        if (Exited(serverPid)) {
            return false;
        }
    }
    return false;
}

// The window manager announces itself on the root window before it is ready
// to manage windows; it is ready once it has put a window of ours in its
// list of clients.
bool ManagesWindow(Display* display, Window window) {
    const Atom clients = XInternAtom(display, "_NET_CLIENT_LIST", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), clients, 0, 1024,
                                          False, XA_WINDOW, &type, &format, &count, &after, &data);
    bool managed = false;
    if (status == Success && data && format == 32) {
        const unsigned long* windows = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            managed = managed || windows[i] == window;
        }
    }
    if (data) {
        XFree(data);
    }
    return managed;
}

bool WaitForManager(std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "cannot connect to the private display";
        return false;
    }
    const Window probe =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(display, probe);
    XFlush(display);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool managed = false;
    while (!(managed = ManagesWindow(display, probe)) &&
           std::chrono::steady_clock::now() < deadline && !Exited(managerPid)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XDestroyWindow(display, probe);
    XCloseDisplay(display);
    if (!managed) {
        error = "openbox did not start (is it installed? ./test.sh installs it)";
    }
    return managed;
}

}  // namespace

bool StartPrivateDisplay(std::string& error) {
    // Numbers far from the ones xvfb-run takes; a number in use makes Xvfb
    // stop at once (its lock file is taken atomically), and the next is tried.
    const int first = 200 + int(getpid() % 500);
    std::string number;
    for (int attempt = 0; attempt < 50 && number.empty(); ++attempt) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            error = "cannot make a pipe";
            return false;
        }
        serverPid = Spawn({"Xvfb", ":" + std::to_string(first + attempt), "-displayfd",
                           std::to_string(pipeFds[1]), "-screen", "0", "1280x1024x24", "-noreset"},
                          pipeFds[1]);
        close(pipeFds[1]);
        if (!ReadDisplayNumber(pipeFds[0], number)) {
            number.clear();
            StopPrivateDisplay();
        }
        close(pipeFds[0]);
    }
    if (number.empty()) {
        error = "Xvfb did not start";
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    managerPid = Spawn({"openbox", "--sm-disable"});
    if (!WaitForManager(error)) {
        StopPrivateDisplay();
        return false;
    }
    return true;
}

void StopPrivateDisplay() {
    for (pid_t* pid : {&managerPid, &serverPid}) {
        if (Exited(*pid)) {
            continue;
        }
        // Asked first, so that Xvfb removes its lock file; forced if it does not go.
        kill(*pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!Exited(*pid)) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(*pid, SIGKILL);
                waitpid(*pid, nullptr, 0);
                *pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
}
