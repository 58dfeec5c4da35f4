#include "platform/base/Files.h"

#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) {
        return std::string();
    }
    std::string path(folder);
    if (path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

std::string NativePath(std::string_view stored) {
    std::string path(stored);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

bool ForceDirectories(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return fs::is_directory(folder, ignored);
}

namespace {

std::string ErrorText(int code) {
    return std::error_code(code, std::generic_category()).message();
}

// Closes a descriptor when it goes out of scope, unless it was closed by hand.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    // Closes now; false (with errno set) when the kernel reports a late write error.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Opens without waiting for the other end of a pipe, then goes back to blocking reads and
// writes, so a pipe with nobody at the other end fails or reads as empty instead of hanging.
int OpenWithoutWaiting(const char* path, int flags) {
    int fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

bool WriteAll(int fd, const void* data, size_t length) {
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t written = ::write(fd, next, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        next += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

bool WriteInPlace(const std::string& path, const void* data, size_t length, std::string& error) {
    FileDescriptor file(OpenWithoutWaiting(path.c_str(), O_WRONLY | O_TRUNC));
    if (file.Get() < 0 || !WriteAll(file.Get(), data, length) || !file.Close()) {
        error = ErrorText(errno);
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<char[]> ReadFileWhole(const std::string& path, size_t& size) {
    FileDescriptor file(OpenWithoutWaiting(path.c_str(), O_RDONLY));
    struct stat info;
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return nullptr;
    }
    // The size of a regular file sizes the block; files that report no size (or grow while
    // being read) are read in growing steps.
    size_t capacity = S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0;
    if (capacity == 0) {
        capacity = 64 * 1024;
    }
    auto buffer = std::make_unique<char[]>(capacity + 1);
    size_t used = 0;
    for (;;) {
        if (used == capacity) {
            auto larger = std::make_unique<char[]>(capacity * 2 + 1);
            std::memcpy(larger.get(), buffer.get(), used);
            buffer = std::move(larger);
            capacity *= 2;
        }
        ssize_t count = ::read(file.Get(), buffer.get() + used, capacity - used);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return nullptr;
        }
        if (count == 0) {
            break;
        }
        used += static_cast<size_t>(count);
    }
    buffer[used] = '\0';
    size = used;
    return buffer;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error) {
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    std::error_code code;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, code))) {
        target = fs::weakly_canonical(target, code);
        if (code) {
            error = code.message();
            return false;
        }
    }
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        error = ErrorText(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        return WriteInPlace(target.string(), data, length, error);
    }

    fs::path folder = target.parent_path();
    const std::string stem = "." + target.filename().string() + ".tmp-";
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (folder / (stem + IntToHex(NewNodeId(), 8))).string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    FileDescriptor file(fd);
    bool written = (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) &&
                   WriteAll(fd, data, length) && ::fsync(fd) == 0;
    written = file.Close() && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = ErrorText(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    // Makes the rename itself survive a crash; a folder that cannot be synced changes nothing
    // about the result.
    FileDescriptor directory(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return true;
}
