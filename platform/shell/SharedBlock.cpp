#include "platform/shell/SharedBlock.h"

#include "platform/shell/SharedBlockCodec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(const std::string& what, const std::string& name) {
    return what + " \"" + name + "\": " + std::strerror(errno);
}

// Closes the descriptor on every path; the mapping does not need it once made.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

} // namespace

std::unique_ptr<SharedBlock> SharedBlock::Open(const std::string& name, Mode mode,
                                               std::string& error) {
    if (name.empty() || name.find('/') != std::string::npos || name.size() > 200) {
        error = "Invalid shared block name \"" + name + "\"";
        return nullptr;
    }
    const std::string objectName = "/" + name;
    int flags = O_RDWR | O_CLOEXEC;
    if (mode == Mode::CreateOrOpen) {
        flags |= O_CREAT;
    }
    Descriptor object{::shm_open(objectName.c_str(), flags, 0600)};
    if (object.fd < 0) {
        error = SystemError("Cannot open the shared block", name);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(object.fd, &status) != 0) {
        error = SystemError("Cannot inspect the shared block", name);
        return nullptr;
    }
    // A block set up by another user could be read or changed by that user: leave it alone.
    if (status.st_uid != ::geteuid()) {
        error = "The shared block \"" + name + "\" belongs to another user";
        return nullptr;
    }
    // Every opener grows a short object before mapping it: touching a mapped page past the end
    // of the object would kill the process. Growing to the same size twice is harmless.
    if (status.st_size < static_cast<off_t>(SharedMemorySize) &&
        ::ftruncate(object.fd, static_cast<off_t>(SharedMemorySize)) != 0) {
        error = SystemError("Cannot size the shared block", name);
        return nullptr;
    }
    void* view =
        ::mmap(nullptr, SharedMemorySize, PROT_READ | PROT_WRITE, MAP_SHARED, object.fd, 0);
    if (view == MAP_FAILED) {
        error = SystemError("Cannot map the shared block", name);
        return nullptr;
    }
    return std::unique_ptr<SharedBlock>(new SharedBlock(objectName, static_cast<char*>(view)));
}

SharedBlock::SharedBlock(std::string name, char* view) : name_(std::move(name)), view_(view) {}

SharedBlock::~SharedBlock() {
    ::munmap(view_, SharedMemorySize);
}

std::span<char> SharedBlock::Bytes() const {
    return {view_, SharedMemorySize};
}

void SharedBlock::Unlink() {
    ::shm_unlink(name_.c_str());
}
