#pragma once

// The node folder a page's resources are written to. Every file goes below it: link paths
// are normalised at this point, and a path that leads out (through "..") is refused; no
// symbolic link met on the way is followed.

#include "app/binder/StoreAccess.h"
#include "platform/base/Files.h"
#include "platform/net/HttpClient.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The relative file path of a link's local path below the node folder: read as a file path
// (FileUrlToPath), without ':', with "/" separators and without empty, "." and ".." segments.
// Empty when nothing is left.
std::string LinkFilePath(std::string_view localPath);

// A file a store has written, as another store can take it up: its path and the identity of
// the file it named then, so a file replaced or deleted since is never taken for it.
struct StoredFile {
    std::string Path;
    uint64_t Device = 0;
    uint64_t Inode = 0;
};

class ResourceStore {
public:
    // The node folder of `id` in the store `storeName` of the binder in `binderFolder`; it is
    // made (and marked) when the first file is written, and never written when the program did
    // not make it (StoreAccess).
    ResourceStore(std::string binderFolder, std::string storeName, uint32_t id)
        : store_(std::move(binderFolder), std::move(storeName)), id_(id) {}
    ResourceStore(const ResourceStore&) = delete;
    ResourceStore& operator=(const ResourceStore&) = delete;

    // A writer that replaces the file at `relative` (a LinkFilePath) once committed, its
    // folders made; null when the path names no file, a folder cannot be made, or a link, a
    // file or a folder the program did not make is on its way.
    std::unique_ptr<AtomicFileWriter> Open(const std::string& relative) const;

    // Whether the node's page can be stored: its folder (made and marked when missing) takes a
    // new page file. Nothing is written. False, with `error` naming the folder and why, where
    // the folder is not the program's, a link is on the way or the disk refuses the file.
    bool CanStorePage(std::string& error) const;

    // Writes the bytes at once; false on any failure.
    bool Save(const std::string& relative, std::string_view bytes) const;

    // Streams the URL's body into the file, so a large file is never held whole. False when
    // the transfer failed, the server answered with an error status or the file could not be
    // written; the old file is then as it was.
    bool Download(const std::string& url, const std::string& relative,
                  const HttpOptions& options) const;

    // The file now at `relative`, or nothing.
    std::optional<StoredFile> Stored(const std::string& relative) const;

    // Puts the stored file at `relative` too: hard-linked under a new name that is renamed
    // over the target, or copied where the file system refuses the link. Either way the
    // target is a new file, so no other folder's file is ever written to. False when the file
    // is no longer the one stored or the target is refused.
    bool Share(const StoredFile& file, const std::string& relative) const;

private:
    StoreAccess store_;
    uint32_t id_;
};
