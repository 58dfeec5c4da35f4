#include "platform/base/Files.h"

#include "platform/base/FileDescriptor.h"
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

bool PathExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
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

// Opens without waiting for the other end of a pipe, then goes back to blocking reads and
// writes, so a pipe with nobody at the other end fails or reads as empty instead of hanging.
int OpenWithoutWaiting(int folder, const char* path, int flags) {
    int fd = ::openat(folder, path, flags | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

} // namespace

bool WriteAllBytes(int fd, const void* data, size_t length) {
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

std::unique_ptr<char[]> ReadFileWhole(const std::string& path, size_t& size) {
    FileDescriptor file(OpenWithoutWaiting(AT_FDCWD, path.c_str(), O_RDONLY));
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

AtomicFileWriter::AtomicFileWriter(const std::string& path, bool durable) : durable_(durable) {
    if (path.empty()) {
        error_ = "no file name";
        return;
    }
    const fs::path target(path);
    name_ = target.filename().string();
    if (name_.empty()) {
        error_ = ErrorText(EISDIR);
        return;
    }
    const fs::path folder = target.parent_path();
    folder_ = FileDescriptor(::open(folder.empty() ? "." : folder.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    Begin();
}

AtomicFileWriter::AtomicFileWriter(int folder, const std::string& name, bool durable)
    : folder_(::fcntl(folder, F_DUPFD_CLOEXEC, 0)), name_(name), durable_(durable) {
    if (name_.empty() || name_ == "." || name_ == ".." || name_.find('/') != std::string::npos) {
        error_ = "no file name";
        return;
    }
    Begin();
}

void AtomicFileWriter::Begin() {
    if (!folder_.Valid()) {
        error_ = ErrorText(errno);
        return;
    }
    // The name itself is looked at, not what a link there points to: a link is replaced like
    // a file, so nothing is ever written where it leads.
    struct stat old;
    const bool exists = ::fstatat(folder_.Get(), name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                        !S_ISLNK(old.st_mode);
    if (exists && S_ISDIR(old.st_mode)) {
        error_ = ErrorText(EISDIR);
        return;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        file_ = FileDescriptor(
            OpenWithoutWaiting(folder_.Get(), name_.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW));
        if (!file_.Valid()) {
            error_ = ErrorText(errno);
        }
        return;
    }
    const std::string stem = "." + name_ + ".tmp-";
    for (int attempt = 0; attempt < 100 && !file_.Valid(); ++attempt) {
        temporary_ = stem + IntToHex(NewNodeId(), 8);
        file_ =
            FileDescriptor(::openat(folder_.Get(), temporary_.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!file_.Valid() && errno != EEXIST) {
            break;
        }
    }
    if (!file_.Valid()) {
        error_ = ErrorText(errno);
        temporary_.clear();
        return;
    }
    if (exists && ::fchmod(file_.Get(), old.st_mode & 07777) != 0) {
        error_ = ErrorText(errno);
        Discard();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    file_ = FileDescriptor();
    if (!temporary_.empty()) {
        ::unlinkat(folder_.Get(), temporary_.c_str(), 0);
        temporary_.clear();
    }
}

bool AtomicFileWriter::Write(const void* data, size_t length) {
    if (!Good()) {
        return false;
    }
    if (!WriteAllBytes(file_.Get(), data, length)) {
        error_ = ErrorText(errno);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (!Good()) {
        return false;
    }
    const bool inPlace = temporary_.empty();
    bool written = inPlace || !durable_ || ::fsync(file_.Get()) == 0;
    // A late write error shows at the close.
    written = file_.Close() && written;
    if (!written || (!inPlace && ::renameat(folder_.Get(), temporary_.c_str(), folder_.Get(),
                                            name_.c_str()) != 0)) {
        error_ = ErrorText(errno);
        Discard();
        return false;
    }
    temporary_.clear();
    if (!inPlace && durable_) {
        // Makes the rename itself survive a crash; a folder that cannot be synced changes
        // nothing about the result.
        ::fsync(folder_.Get());
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error) {
    AtomicFileWriter writer(path);
    if (writer.Write(data, length) && writer.Commit()) {
        return true;
    }
    error = writer.Error();
    return false;
}
