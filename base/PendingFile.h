// A file written under a temporary name in its destination's folder that
// takes the destination's name only when it is complete, so that a failed
// or interrupted write leaves no half file (and an earlier file untouched).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class PendingFile {
  public:
    explicit PendingFile(std::string destination);
    // Removes the temporary file unless it was published.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the empty temporary file, open for writing.
    bool Create(std::string& error);
    int Descriptor() const { return fd; }
    // Writes all the bytes to the temporary file.
    bool Write(const void* data, size_t size, std::string& error);
    const std::string& TemporaryPath() const { return temporary; }
    // Closes the descriptor, then gives the file the destination's name.
    // Without replace an existing destination stays and Publish fails.
    bool Publish(bool replace, std::string& error);

  private:
    std::string destination;
    std::string temporary;
    int fd = -1;

    bool Fail(std::string& error) const;
};

// Checks that path names a regular file this process may read: reading a
// pipe or a device could wait for ever or never end. False with one line
// naming the problem in error.
bool CheckReadableFile(const std::string& path, std::string& error);

// Checks that path may receive what a command writes (product, such as "the
// picture"): not a folder, and none of the files it reads (each called
// inputRole, such as "the database file"), so that a command never destroys
// its own input. False with one line naming the problem in error.
bool CheckOutputPath(const std::string& path, const char* product, const char* inputRole,
                     const std::vector<std::string>& inputs, std::string& error);
