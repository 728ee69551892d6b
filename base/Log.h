// Timestamped log lines appended to "error.log", "run.log" and "console.log"
// in the working directory. Every call opens, appends and closes, so the log
// is complete on disk even when the process ends abruptly.
#pragma once

#include <cstdarg>

enum LogChannel { LOG_ERROR = 2, LOG_RUN = 4, LOG_CONSOLE = 8 };

// Empties the error and run files named by the mask; the console file is never emptied.
void LogInit(int mask);

// Writes one line to each channel of the mask, in the order error, run, console.
void Log(int channels, const char* format, ...) __attribute__((format(printf, 2, 3)));
void LogV(int channels, const char* format, va_list args);

void LogConsole(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogConsoleV(const char* format, va_list args);
