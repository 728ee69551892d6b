#include "base/Log.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "base/Text.h"

namespace {

struct ChannelFile {
    int bit;
    const char* path;
    const char* tag;
};

const ChannelFile kChannels[] = {
    {LOG_ERROR, "error.log", "(error)"},
    {LOG_RUN, "run.log", "(run)"},
    {LOG_CONSOLE, "console.log", "(console)"},
};

// Empty for the working directory; none when no file is written.
std::optional<std::string> logFolder = std::string();

std::string PathIn(const std::string& folder, const ChannelFile& channel) {
    return (std::filesystem::path(folder) / channel.path).string();
}

std::string Timestamp() {
    char buffer[100] = "";
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(buffer, sizeof buffer, "[%Y-%m-%d %H:%M:%S]", &local);
    return buffer;
}

std::string Expand(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(needed), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

}  // namespace

void LogToNoFiles() {
    logFolder.reset();
}

bool LogToFolder(const std::string& folder, std::string& error) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        error = "cannot write the logs into " + Quoted(folder) + ": " +
                (errno == ENOENT ? "there is no such folder; make it first, or name another"
                                 : std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = "cannot write the logs into " + Quoted(folder) + ": it is not a folder";
        return false;
    }
    // Each file is tried as Log will open it, so that a log that cannot be
    // written is refused now instead of lost quietly later.
    for (const ChannelFile& channel : kChannels) {
        const std::string path = PathIn(folder, channel);
        FILE* file = std::fopen(path.c_str(), "a");
        if (!file) {
            error = "cannot write the log " + Quoted(path) + ": " + std::strerror(errno);
            return false;
        }
        std::fclose(file);
    }
    logFolder = folder;
    return true;
}

void LogInit(int mask) {
    if (!logFolder) {
        return;
    }
    for (const ChannelFile& channel : kChannels) {
        if (channel.bit == LOG_CONSOLE || !(mask & channel.bit)) {
            continue;
        }
        if (FILE* file = std::fopen(PathIn(*logFolder, channel).c_str(), "w")) {
            std::fclose(file);
        }
    }
}

void LogV(int channels, const char* format, va_list args) {
    if (!logFolder || !(channels & (LOG_ERROR | LOG_RUN | LOG_CONSOLE))) {
        return;
    }
    // One timestamp and one expansion serve every file of the call.
    const std::string stamp = Timestamp();
    const std::string message = Expand(format, args);
    for (const ChannelFile& channel : kChannels) {
        if (!(channels & channel.bit)) {
            continue;
        }
        FILE* file = std::fopen(PathIn(*logFolder, channel).c_str(), "a");
        if (!file) {
            continue;
        }
        std::fprintf(file, "%s %s ", stamp.c_str(), channel.tag);
        std::fputs(message.c_str(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

void Log(int channels, const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(channels, format, args);
    va_end(args);
}

void LogConsoleV(const char* format, va_list args) {
    LogV(LOG_CONSOLE, format, args);
}

void LogConsole(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogConsoleV(format, args);
    va_end(args);
}
