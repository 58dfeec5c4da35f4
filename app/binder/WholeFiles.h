#pragma once

// The whole-file reads and writes of the binder and capture code, all through the one reader
// and the one atomic writer of the platform layer. Paths are native: a stored name goes
// through NativePath before it is joined in. A write answers with what happened; the one who
// asked for it decides whether and where to show it.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AtomicFileWriter;

// The file's bytes followed by one NUL byte. The byte count goes to `size` when one is given.
// Null, with the count left as it was, when the file cannot be read.
std::unique_ptr<char[]> ReadWholeFile(const std::string& path, size_t* size = nullptr);

// The same reader for the tree file and imports: on failure null and a size of 0.
std::unique_ptr<char[]> LoadFileToBuffer(const std::string& path, size_t& size);

// What one write gives back: whether the file was written and, when not, the message that
// says why ("can not create directory<folder>", "can not write file <path> (<reason>)"),
// which is empty for an empty path.
struct WriteResult {
    bool Written = false;
    std::string Error;
    explicit operator bool() const { return Written; }
};

// What several writes give back: false when any failed, with their messages in order.
struct FilesWritten {
    bool Written = true;
    std::vector<std::string> Errors;
    explicit operator bool() const { return Written; }
    void Add(const WriteResult& write);
};

// Replaces (or creates) a file with the bytes. A missing folder is made with its parents. A
// write that fails leaves the old file as it was. Fails for an empty path and every failure.
WriteResult SaveBufferToFile(const std::string& path, const void* buffer, size_t length);

// SaveBufferToFile with the bytes written in pieces: `produce` hands them to the writer and
// answers false when it cannot finish (setting `error` when the writer did not fail); the old
// file then stays as it was.
WriteResult
SaveStreamToFile(const std::string& path,
                 const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce);
