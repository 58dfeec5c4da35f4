#include "platform/base/Files.h"

#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
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
    // Every byte of the block is written before it is handed out, so it need not be cleared.
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity + 1);
    size_t used = 0;
    for (;;) {
        if (used == capacity) {
            // A full block usually holds the whole file: a small read tells whether more
            // follows before a larger block is made.
            char more[4096];
            ssize_t count = ::read(file.Get(), more, sizeof more);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                return nullptr;
            }
            if (count == 0) {
                break;
            }
            capacity = std::max(capacity * 2, used + static_cast<size_t>(count));
            auto larger = std::make_unique_for_overwrite<char[]>(capacity + 1);
            std::memcpy(larger.get(), buffer.get(), used);
            std::memcpy(larger.get() + used, more, static_cast<size_t>(count));
            buffer = std::move(larger);
            used += static_cast<size_t>(count);
            continue;
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

TAtomicFileWriter::~TAtomicFileWriter() {
    Abandon();
}

void TAtomicFileWriter::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool TAtomicFileWriter::Open(std::string& error) {
    Abandon();
    if (path_.empty()) {
        error = "no file name";
        return false;
    }
    std::error_code code;
    fs::path target(path_);
    if (fs::is_symlink(fs::symlink_status(target, code))) {
        target = fs::weakly_canonical(target, code);
        if (code) {
            error = code.message();
            return false;
        }
    }
    target_ = target.string();
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        error = ErrorText(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or pipe cannot be replaced: it is written in place.
        fd_ = OpenWithoutWaiting(target_.c_str(), O_WRONLY | O_TRUNC);
        if (fd_ < 0) {
            error = ErrorText(errno);
            return false;
        }
        return true;
    }

    folder_ = target.parent_path().string();
    const std::string stem = "." + target.filename().string() + ".tmp-";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = (fs::path(folder_) / (stem + IntToHex(NewNodeId(), 8))).string();
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        error = ErrorText(errno);
        temporary_.clear();
        return false;
    }
    if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0) {
        error = ErrorText(errno);
        Abandon();
        return false;
    }
    return true;
}

bool TAtomicFileWriter::Write(const void* data, size_t length, std::string& error) {
    if (fd_ < 0) {
        error = "file not open";
        return false;
    }
    if (!WriteAll(fd_, data, length)) {
        error = ErrorText(errno);
        Abandon();
        return false;
    }
    return true;
}

bool TAtomicFileWriter::Commit(std::string& error) {
    if (fd_ < 0) {
        error = "file not open";
        return false;
    }
    const bool inPlace = temporary_.empty();
    bool written = inPlace || ::fsync(fd_) == 0;
    int failure = written ? 0 : errno;
    // Closing reports late write errors, so it counts even after a good flush.
    if (::close(fd_) != 0 && written) {
        written = false;
        failure = errno;
    }
    fd_ = -1;
    if (written && !inPlace && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        error = ErrorText(failure);
        Abandon();
        return false;
    }
    if (inPlace) {
        return true;
    }
    temporary_.clear();
    // Makes the rename itself survive a crash; a folder that cannot be synced changes nothing
    // about the result.
    FileDescriptor directory(::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error) {
    TAtomicFileWriter writer(path);
    return writer.Open(error) && writer.Write(data, length, error) && writer.Commit(error);
}
