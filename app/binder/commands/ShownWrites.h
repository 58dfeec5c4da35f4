#pragma once

// Showing what a write of the binder document answered: its failure in a box (none for a write
// that failed without a message, such as one to an empty path), and the binder's file writes
// with that showing built in, as the tree's paste and the tests of the writers see them. True
// when everything was written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class AtomicFileWriter;
class IUserMessages;
class TPageInfo;
struct FilesWritten;
struct WriteResult;

bool ShowFailure(const WriteResult& write, IUserMessages& ui);
// Every failed write, in order.
bool ShowFailures(const FilesWritten& written, IUserMessages& ui);

bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      IUserMessages& ui);
bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    IUserMessages& ui);
// Every failed write of the copy is shown, in order.
bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui);
