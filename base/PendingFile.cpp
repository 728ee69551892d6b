#include "base/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/Text.h"

PendingFile::PendingFile(std::string destinationPath) : destination(std::move(destinationPath)) {}

PendingFile::~PendingFile() {
    if (fd >= 0) {
        close(fd);
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
    }
}

bool PendingFile::Fail(std::string& error) const {
    error = "cannot write " + Quoted(destination) + ": " + std::strerror(errno);
    return false;
}

bool PendingFile::Create(std::string& error) {
    const std::filesystem::path path(destination);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::string stem =
        "." + path.filename().string() + ".part-" + std::to_string(static_cast<long>(getpid()));
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const std::string name = (folder / (stem + "-" + std::to_string(attempt))).string();
        // 0666 so that the file gets the permissions the user's umask gives new files.
        fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            temporary = name;
        } else if (errno != EEXIST) {
            break;
        }
    }
    return fd >= 0 || Fail(error);
}

bool PendingFile::Write(const void* data, size_t size, std::string& error) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return Fail(error);
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

bool PendingFile::Publish(bool replace, std::string& error) {
    const int closed = fd >= 0 ? close(fd) : 0;
    fd = -1;
    if (closed != 0) {
        return Fail(error);
    }
    if (replace) {
        if (std::rename(temporary.c_str(), destination.c_str()) != 0) {
            return Fail(error);
        }
    } else if (link(temporary.c_str(), destination.c_str()) != 0) {
        // A hard link never replaces an existing file, even one made meanwhile.
        return Fail(error);
    } else {
        std::remove(temporary.c_str());
    }
    temporary.clear();
    return true;
}

bool CheckReadableFile(const std::string& path, std::string& error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = "cannot open " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot open " + Quoted(path) + ": " +
                (S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    return true;
}

bool CheckOutputPath(const std::string& path, const char* product, const char* inputRole,
                     const std::vector<std::string>& inputs, std::string& error) {
    std::error_code code;
    const std::filesystem::path output(path);
    if (std::filesystem::is_directory(output, code)) {
        error = "cannot write " + Quoted(path) + ": it is a folder";
        return false;
    }
    for (const std::string& input : inputs) {
        if (std::filesystem::equivalent(output, input, code)) {
            error = std::string("will not write ") + product + " over " + inputRole + " " +
                    Quoted(input);
            return false;
        }
    }
    return true;
}
