#include "platform/shell/InstanceFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

std::string InstanceFolder(std::string& error) {
    return InstanceFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp", error);
}

std::string InstanceFolder(const char* runtimeDir, const std::string& tmpRoot, std::string& error) {
    if (runtimeDir != nullptr && runtimeDir[0] == '/' && IsFolder(runtimeDir)) {
        return runtimeDir;
    }
    const std::string folder = tmpRoot + "/tarnwick-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "Cannot create \"" + folder + "\": " + std::strerror(errno);
        return {};
    }
    // lstat: a symbolic link planted under that name must not lead us elsewhere.
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        error = "Cannot inspect \"" + folder + "\": " + std::strerror(errno);
        return {};
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() ||
        (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        error = "\"" + folder + "\" is not a private folder of this user";
        return {};
    }
    return folder;
}
