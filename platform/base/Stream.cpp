#include "platform/base/Stream.h"

#include "platform/base/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw EStreamError(what);
}

int64_t NewPosition(int64_t offset, TSeekOrigin origin, int64_t current, int64_t size) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? current
                                                      : size;
    int64_t position = base + offset;
    if (position < 0) {
        Fail("Stream seek before its start");
    }
    return position;
}

// Up to `count` bytes of `bytes` from `position` on, which moves past them; the number read.
int64_t ReadAt(std::string_view bytes, int64_t& position, void* buffer, int64_t count) {
    const auto size = static_cast<int64_t>(bytes.size());
    const int64_t n = std::clamp<int64_t>(count, 0, std::max<int64_t>(0, size - position));
    if (n > 0) {
        std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
        position += n;
    }
    return n;
}

} // namespace

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) {
        Fail("Stream read error");
    }
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) {
        Fail("Stream write error");
    }
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 16)));
    int64_t left = count;
    while (left > 0) {
        int64_t chunk = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= chunk;
    }
    return count;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    return ReadAt(data_, position_, buffer, count);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) {
        return 0;
    }
    if (position_ == Size()) {
        // Writing at the end, the usual case: appended without zeroing the room first.
        data_.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        position_ += count;
        return count;
    }
    if (position_ + count > Size()) {
        data_.resize(static_cast<size_t>(position_ + count));
    }
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = NewPosition(offset, origin, position_, Size());
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) {
        Fail("Stream size below zero");
    }
    data_.resize(static_cast<size_t>(size));
    position_ = std::min(position_, size);
}

int64_t TBytesReadStream::Read(void* buffer, int64_t count) {
    return ReadAt(bytes_, position_, buffer, count);
}

int64_t TBytesReadStream::Write(const void*, int64_t) {
    Fail("Stream is read only");
}

int64_t TBytesReadStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = NewPosition(offset, origin, position_, Size());
    return position_;
}

void TBytesReadStream::SetSize(int64_t) {
    Fail("Stream is read only");
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, TFileMode::fmCreate);
    file.WriteString(data_);
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    int flags = mode == TFileMode::fmCreate     ? O_RDWR | O_CREAT | O_TRUNC
                : mode == TFileMode::fmOpenRead ? O_RDONLY
                                                : O_RDWR;
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Fail("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    }
}

TFileStream::~TFileStream() {
    ::close(fd_);
}

namespace {

// Moves `count` bytes with read or write, again after an interruption, until done or stopped
// (end of file, a full disk, an error); the number moved.
template <class Op> int64_t Transfer(Op op, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = op(done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    return done;
}

} // namespace

int64_t TFileStream::Read(void* buffer, int64_t count) {
    return Transfer(
        [&](int64_t at, size_t n) { return ::read(fd_, static_cast<char*>(buffer) + at, n); },
        count);
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    return Transfer(
        [&](int64_t at, size_t n) {
            return ::write(fd_, static_cast<const char*>(buffer) + at, n);
        },
        count);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t current = ::lseek(fd_, 0, SEEK_CUR);
    int64_t position = NewPosition(offset, origin, current, Size());
    return ::lseek(fd_, position, SEEK_SET);
}

int64_t TFileStream::Size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
}

void TFileStream::SetSize(int64_t size) {
    if (size < 0 || ::ftruncate(fd_, size) != 0) {
        Fail("Cannot set the size of \"" + fileName_ + "\"");
    }
    if (Position() > size) {
        SetPosition(size);
    }
}
