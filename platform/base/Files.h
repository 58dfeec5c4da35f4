#pragma once

// Paths and whole files. Every path the program builds goes through JoinPath with "/" as the
// separator; names kept inside binder files keep their "\" separators and are turned into
// native form by NativePath where they meet the file system.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

// The folder, a "/" unless the folder already ends with one, and the name. An empty folder
// gives an empty path, so nothing is ever addressed relative to a folder that is not known.
std::string JoinPath(std::string_view folder, std::string_view name);

// A stored name ("1A2B\img\a.gif") in file-system form ("1A2B/img/a.gif").
std::string NativePath(std::string_view stored);

// Creates a folder with every missing parent. True when the folder exists afterwards.
bool ForceDirectories(const std::string& folder);

// Reads a whole file into a block one byte longer than the file, the last byte NUL, so the
// block can also be read as text. Returns null, leaving `size` alone, when the file cannot
// be opened or read (a folder cannot be read as a file).
std::unique_ptr<char[]> ReadFileWhole(const std::string& path, size_t& size);

// Replaces a file's contents as one step: the bytes go to a new file beside it, are flushed
// to the disk, and the new file is renamed over the old one, so a reader sees the old
// contents or the new, never a mixture. Keeps the old file's permissions; a symbolic link is
// written through to its target. A device or pipe is written in place, as it cannot be
// replaced. On failure the old file is left as it was, no temporary file remains, and `error`
// says what went wrong.
bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error);

// WriteFileAtomic with the bytes handed over in pieces: Open starts the new file beside the
// old one, Write appends, Commit flushes it and renames it over the old file. Until Commit
// succeeds the old file is untouched; a writer that fails, or is dropped without Commit,
// leaves no temporary file. A device or pipe is written in place from Open on.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(std::string path) : path_(std::move(path)) {}
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    bool Open(std::string& error);
    bool Write(const void* data, size_t length, std::string& error);
    bool Commit(std::string& error);

private:
    void Abandon();

    std::string path_;
    std::string target_;    // the path with a symbolic link resolved
    std::string folder_;    // of the target
    std::string temporary_; // empty when writing in place
    int fd_ = -1;
};
