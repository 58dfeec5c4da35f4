#pragma once

// Paths and whole files. Every path the program builds goes through JoinPath with "/" as the
// separator; names kept inside binder files keep their "\" separators and are turned into
// native form by NativePath where they meet the file system.

#include "platform/base/FileDescriptor.h"

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

// Writes every byte to the open file, going on after an interruption; false (errno set) when
// the system refuses.
bool WriteAllBytes(int fd, const void* data, size_t length);

// Reads a whole file into a block one byte longer than the file, the last byte NUL, so the
// block can also be read as text. Returns null, leaving `size` alone, when the file cannot
// be opened or read (a folder cannot be read as a file).
std::unique_ptr<char[]> ReadFileWhole(const std::string& path, size_t& size);

// A file whose contents are replaced as one step, written piece by piece: the bytes go to a
// new file beside it, and Commit renames that over the old one, so a reader sees the old
// contents or the new, never a mixture. Keeps the old file's permissions. A symbolic link at
// the name is replaced itself, never the file it points to. A device or pipe is written in
// place, as it cannot be replaced. Until Commit succeeds the old file is as it was; a writer
// given up (destroyed without a Commit, or after a failure) leaves no temporary file.
// `durable` makes Commit wait until the bytes and the rename are on the disk.
class AtomicFileWriter {
public:
    // The file at `path`, the folders on its way taken as written.
    explicit AtomicFileWriter(const std::string& path, bool durable = true);
    // The file `name` directly in the open `folder` (the writer keeps a descriptor of its own).
    AtomicFileWriter(int folder, const std::string& name, bool durable = true);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything failed; Error() says what.
    bool Good() const { return file_.Valid() && error_.empty(); }
    bool Write(const void* data, size_t length);
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    void Begin();
    void Discard();

    FileDescriptor folder_;
    std::string name_;
    std::string temporary_; // a name in the folder; empty when writing in place
    FileDescriptor file_;
    bool durable_;
    std::string error_;
};

// Replaces a file's contents as one step: the bytes go to a new file beside it, are flushed
// to the disk, and the new file is renamed over the old one, so a reader sees the old
// contents or the new, never a mixture. Keeps the old file's permissions; a symbolic link at
// the path is replaced itself, never its target. A device or pipe is written in place, as it
// cannot be replaced. On failure the old file is left as it was, no temporary file remains, and
// `error` says what went wrong.
bool WriteFileAtomic(const std::string& path, const void* data, size_t length, std::string& error);
