// Which file a path names: its device and inode. A program that saves safely
// writes a new file and renames it over the old one; the path then names
// another file, while a handle opened before still reads the old one.
#pragma once

#include <string>

struct FileIdentity {
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;

    // The file the path names now; one that does not exist when nothing is there.
    static FileIdentity Of(const std::string& path);
    bool operator==(const FileIdentity& other) const {
        return exists == other.exists && device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
