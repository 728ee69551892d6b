#include "base/FileIdentity.h"

#include <sys/stat.h>

FileIdentity FileIdentity::Of(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return FileIdentity();
    }
    return FileIdentity{true, static_cast<unsigned long long>(status.st_dev),
                        static_cast<unsigned long long>(status.st_ino)};
}
