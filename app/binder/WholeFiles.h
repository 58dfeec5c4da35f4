#pragma once

// The whole-file reads and writes of the binder and capture code, all through the one reader
// and the one atomic writer of the platform layer. Paths are native: a stored name goes
// through NativePath before it is joined in.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class IUserMessages;
class AtomicFileWriter;

// The file's bytes followed by one NUL byte. The byte count goes to `size` when one is given.
// Null, with the count left as it was, when the file cannot be read.
std::unique_ptr<char[]> ReadWholeFile(const std::string& path, size_t* size = nullptr);

// The same reader for the tree file and imports: on failure null and a size of 0.
std::unique_ptr<char[]> LoadFileToBuffer(const std::string& path, size_t& size);

// Replaces (or creates) a file with the bytes. A missing folder is made with its parents;
// when that fails, "can not create directory" followed by the folder is shown. A write that
// fails is shown too and leaves the old file as it was. False for an empty path and for every
// failure.
bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      IUserMessages& ui);

// Where the writers below show what went wrong.
using MessageSink = std::function<void(const std::string& text)>;
bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      const MessageSink& show);

// SaveBufferToFile with the bytes written in pieces: `produce` hands them to the writer and
// answers false when it cannot finish (setting `error` when the writer did not fail); the old
// file then stays as it was.
bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    IUserMessages& ui);
bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    const MessageSink& show);
