#pragma once

// Byte streams with a position: the readers and writers of the rich-text formats write a
// placeholder, go on, and seek back to patch a length.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads or writes up to `count` bytes at the position; the number moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // The new position. A position past the end is allowed; writing there fills the gap
    // with zeros. A negative result position raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() const = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // As Read and Write, but anything short raises EStreamError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    void WriteString(std::string_view bytes) {
        WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    // Copies `count` bytes from the position of `source`; 0 copies the whole of `source`
    // from its start. Returns the number copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a growing block of memory.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    const char* Memory() const { return data_.data(); }
    char* Memory() { return data_.data(); }
    // The whole content, whatever the position.
    const std::string& Bytes() const { return data_; }
    void Clear();
    // Raise EStreamError with the file's name when it cannot be read or written.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::string data_;
    int64_t position_ = 0;
};

// A stream that reads bytes held elsewhere, which outlive it, without a copy of them (a note of
// tens of megabytes is read where it lies). Writing and resizing raise EStreamError.
class TBytesReadStream : public TStream {
public:
    explicit TBytesReadStream(std::string_view bytes) : bytes_(bytes) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    void SetSize(int64_t size) override;

    std::string_view Bytes() const { return bytes_; }

private:
    std::string_view bytes_;
    int64_t position_ = 0;
};

enum class TFileMode {
    fmCreate,        // create or truncate, read and write
    fmOpenRead,      // existing file, read only
    fmOpenReadWrite, // existing file, read and write
};

// A stream over an open file, closed by the destructor.
class TFileStream : public TStream {
public:
    // Raises EStreamError naming the file when it cannot be opened.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override;
    void SetSize(int64_t size) override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};
