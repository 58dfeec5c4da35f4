#include "platform/shell/InstanceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::Result InstanceLock::TryLock(const std::string& path, std::string& error) {
    Release();
    // Close-on-exec: a program we start must not keep the lock alive after we are gone.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK) {
            return Result::HeldElsewhere;
        }
        error = "Cannot lock \"" + path + "\": " + std::strerror(cause);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Taken;
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}
