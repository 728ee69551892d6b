// Timestamped log lines appended to "error.log", "run.log" and "console.log"
// in the working directory (or a folder chosen at start). Every call opens,
// appends and closes, so the log is complete on disk even when the process
// ends abruptly.
#pragma once

#include <cstdarg>
#include <string>

enum LogChannel { LOG_ERROR = 2, LOG_RUN = 4, LOG_CONSOLE = 8 };

// Where the files go, chosen once at start before any other thread logs. The
// window keeps the working directory; a command-line run writes no file
// unless it is given a folder, so that it leaves nothing behind by itself.
void LogToNoFiles();
// From now on the files go into the folder. False, with one line naming the
// problem in error and the files left where they went, when the folder is
// missing, is not a folder, or one of the three files cannot be opened for
// appending there.
bool LogToFolder(const std::string& folder, std::string& error);

// Empties the error and run files named by the mask; the console file is never emptied.
void LogInit(int mask);

// Writes one line to each channel of the mask, in the order error, run, console.
void Log(int channels, const char* format, ...) __attribute__((format(printf, 2, 3)));
void LogV(int channels, const char* format, va_list args);

void LogConsole(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogConsoleV(const char* format, va_list args);
