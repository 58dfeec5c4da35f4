#pragma once

// Paths and whole files. Every path the program builds goes through JoinPath with "/" as the
// separator; names kept inside binder files keep their "\" separators and are turned into
// native form by NativePath where they meet the file system.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The folder, a "/" unless the folder already ends with one, and the name. An empty folder
// gives an empty path, so nothing is ever addressed relative to a folder that is not known.
std::string JoinPath(std::string_view folder, std::string_view name);

// A stored name ("1A2B\img\a.gif") in file-system form ("1A2B/img/a.gif").
std::string NativePath(std::string_view stored);

// True when something (a file, a folder, a device) is at the path.
bool PathExists(const std::string& path);

// Creates a folder with every missing parent. True when the folder exists afterwards.
bool ForceDirectories(const std::string& folder);

// Reads a whole file into a block one byte longer than the file, the last byte NUL, so the
// block can also be read as text. Returns null, leaving `size` alone, when the file cannot
// be opened or read (a folder cannot be read as a file).
std::unique_ptr<char[]> ReadFileWhole(const std::string& path, size_t& size);

// A file whose contents are replaced as one step, written piece by piece: the bytes go to a
// new file beside it, and Commit renames that over the old one, so a reader sees the old
// contents or the new, never a mixture. Keeps the old file's permissions; a symbolic link is
// written through to its target. A device or pipe is written in place, as it cannot be
// replaced. Until Commit succeeds the old file is as it was; a writer given up (destroyed
// without a Commit, or after a failure) leaves no temporary file. `durable` makes Commit wait
// until the bytes and the rename are on the disk.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path, bool durable = true);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything failed; Error() says what.
    bool Good() const { return fd_ >= 0 && error_.empty(); }
    bool Write(const void* data, size_t length);
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    void Discard();

    std::string target_;
    std::string temporary_; // empty when writing in place
    int fd_ = -1;
    bool durable_;
    std::string error_;
};

// Replaces a file's contents as one step: the bytes go to a new file beside it, are flushed
// to the disk, and the new file is renamed over the old one, so a reader sees the old
// contents or the new, never a mixture. Keeps the old file's permissions; a symbolic link is
// written through to its target. A device or pipe is written in place, as it cannot be
// replaced. On failure the old file is left as it was, no temporary file remains, and `error`
// says what went wrong.
bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error);
