#pragma once

// The one way into a binder's store for everything that writes or deletes there. Every name
// below the binder's folder is opened relative to its parent without following a link, so a
// link in the store, made before or during the work, leads nowhere. Folders the program makes
// there (the store, node folders, an import's staging folder) carry its mark (FolderMark.h);
// only folders so marked, in a store so marked, are ever written into or removed, whatever
// their names: a folder of the user's that a binder file names as its store, or as a node's
// folder, keeps every file and gets none. A missing or empty store is made (taken) at its
// first write; a store laid out without marks is taken over at open (StoreTakeOver.h). Safe to
// use from several threads at once.

#include "app/binder/FolderMark.h"
#include "platform/base/FileDescriptor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AtomicFileWriter;

class StoreAccess {
public:
    // `binderFolder` is the binder's folder as the open binder names it (links on its way
    // resolved); `storeName` the store's name in it.
    StoreAccess(std::string binderFolder, std::string storeName);

    // <binder folder>/<store>, for messages and reading.
    std::string StorePath() const;
    // What the user is told of a store OpenStore refused with `error`: the store named, and
    // why; for a folder the program has no mark in, what it holds and how to allow it.
    std::string StoreRefusal(int error) const;

    // The store, opened when it is the program's (marked; with `make` also an empty one,
    // marked now); with `make`, a missing one is made and marked first. Invalid (errno set) when it
    // is missing, a link or no folder, and with EPERM when it is a folder the program did not make.
    FileDescriptor OpenStore(bool make) const;
    // The store folder as it is, the program's or not, never through a link; invalid (errno
    // set) when it cannot be opened. For reading what a store holds and asking about it.
    FileDescriptor OpenStoreAsItIs() const;

    // The folder that holds the file `relative` ("/"-separated names) of the node folder of
    // `id`, and the file's name in `name`: the store and the node folder made (marked) when
    // missing, the folders below as needed with `make`. Invalid, with `error` saying why, when
    // the node folder is not the program's, a link or no folder is on the way, or the name is
    // the node folder's mark.
    FileDescriptor OpenNodeFileFolder(uint32_t id, std::string_view relative, bool make,
                                      std::string& name, std::string& error) const;

    // A writer that replaces (or creates) the file `relative` of the node folder of `id` when
    // committed, as OpenNodeFileFolder reaches it; null, with `error`, when refused.
    std::unique_ptr<AtomicFileWriter> OpenNodeFile(uint32_t id, std::string_view relative,
                                                   bool durable, std::string& error) const;
    // The bytes written at once as the file `relative` of the node folder of `id`.
    bool WriteNodeFile(uint32_t id, std::string_view relative, std::string_view bytes,
                       std::string& error) const;

    // Removes the file `relative` of the node folder of `id` when the folder is the program's;
    // true when no file is there afterwards (also when there was none).
    bool RemoveNodeFile(uint32_t id, std::string_view relative) const;

    // Removes the node folder of `id` with everything in it when it is the program's; true when
    // no folder of the program's is left at its name. Whenever a folder stays at its name (not
    // the program's, or not removable), `left`, when given, says so, naming it and why.
    bool RemoveNodeFolder(uint32_t id, std::string* left = nullptr) const;

    // What RemoveOwnFolders did: the names removed, and whether a folder of the program's
    // could not be removed.
    struct Removed {
        std::vector<std::string> Names;
        bool Failed = false;
    };
    // Removes every folder directly in the store that the program made (its mark one `signer`
    // accepts) and `keep` does not ask to keep (by name).
    Removed RemoveOwnFolders(const std::function<bool(const std::string& name)>& keep,
                             MarkSigner signer = MarkSigner::Anyone) const;

    // Removes the store when the program made it and nothing but its mark is left in it. When
    // a store stays, `left`, when given, says so, naming it and why (nothing when there is none).
    bool RemoveStoreIfEmpty(std::string* left = nullptr) const;

private:
    // <store>/<HEX id>/<relative>, for messages.
    std::string NodeFilePath(uint32_t id, std::string_view relative) const;

    std::string binderFolder_;
    std::string storeName_;
};
