#pragma once

// The binder's file writes with a failure shown at once in a box, as the tree's paste and the
// tests of the writers still see them. True when everything was written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class AtomicFileWriter;
class IUserMessages;
class TPageInfo;

bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      IUserMessages& ui);
bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    IUserMessages& ui);
// Every failed write of the copy is shown, in order.
bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui);
