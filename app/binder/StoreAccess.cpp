#include "app/binder/StoreAccess.h"

#include "app/binder/FolderMark.h"
#include "app/binder/StoreLeftovers.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int error) {
    return error == ELOOP ? "it is a link" : std::strerror(error);
}

// What a delete tells of a folder that stays.
void Left(std::string* left, const std::string& folder, const std::string& why) {
    if (left != nullptr) {
        *left = "the folder " + folder + " stays (" + why + ")";
    }
}

// Why the open store, which holds no mark of the program's, is left alone. A store that holds
// folders named as pages is asked about when its binder opens: the user is told how to allow it.
std::string UnmarkedStoreReason(int store) {
    std::string why = UnmarkedFolderReason(store);
    for (const std::string& name : FolderNames(store)) {
        uint32_t id = 0;
        struct stat info;
        if (IsNodeFolderName(name, id) &&
            ::fstatat(store, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode)) {
            return why + "; if its folders are this binder's pages, open the binder again and "
                         "answer Yes when asked about this folder";
        }
    }
    return why;
}

// True when the store holds nothing, or nothing but a mark a crash cut short.
bool HoldsNothing(int store) {
    const std::vector<std::string> names = FolderNames(store);
    return names.empty() ||
           (names == std::vector<std::string>{FolderMarkName} && DamagedFolderMark(store));
}

// Empties the folder through the descriptor that was found marked, then removes its name: a
// folder put at that name meanwhile is not emptied, and the last step removes only an empty one.
bool RemoveMarkedFolder(int store, const std::string& name, int folder) {
    return RemoveFolderContents(folder) && ::unlinkat(store, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace

StoreAccess::StoreAccess(std::string binderFolder, std::string storeName)
    : binderFolder_(std::move(binderFolder)), storeName_(std::move(storeName)) {}

std::string StoreAccess::StorePath() const {
    return JoinPath(binderFolder_, storeName_);
}

FileDescriptor StoreAccess::OpenStore(bool make) const {
    if (binderFolder_.empty()) {
        errno = ENOENT;
        return FileDescriptor();
    }
    const FileDescriptor binder = OpenFolderPath(binderFolder_);
    if (!binder.Valid()) {
        return FileDescriptor();
    }
    FileDescriptor store = OpenFolderAt(binder.Get(), storeName_);
    if (store.Valid() && HoldsProgramMark(store.Get())) {
        return store;
    }
    if (!make) {
        if (store.Valid()) {
            errno = EPERM;
        }
        return FileDescriptor();
    }
    // Writers of one binder make or take the store one at a time, so none sees another's mark
    // half written.
    static std::mutex making;
    const std::lock_guard<std::mutex> guard(making);
    if (!store.Valid() && errno == ENOENT) {
        // Made in place: the binder's folder, often a folder of the user's, gets no passing
        // names of the program's.
        if (::mkdirat(binder.Get(), storeName_.c_str(), 0777) != 0 && errno != EEXIST) {
            return FileDescriptor();
        }
        store = OpenFolderAt(binder.Get(), storeName_);
    }
    if (!store.Valid()) {
        return store;
    }
    // An empty folder can hold nothing of the user's: a write takes it over (one made a moment
    // ago among them), as one whose mark a crash cut short while it held nothing. A delete
    // never does, so an empty folder of the user's is never removed.
    if (HoldsProgramMark(store.Get())) {
        return store;
    }
    if (!HoldsNothing(store.Get())) {
        errno = EPERM;
        return FileDescriptor();
    }
    // A store that cannot be marked (a read-only one) says why.
    return RenewFolderMark(store.Get(), storeName_) ? std::move(store) : FileDescriptor();
}

FileDescriptor StoreAccess::OpenStoreAsItIs() const {
    const FileDescriptor binder = OpenFolderPath(binderFolder_);
    return binder.Valid() ? OpenFolderAt(binder.Get(), storeName_) : FileDescriptor();
}

std::string StoreAccess::StoreRefusal(int error) const {
    std::string why = Reason(error);
    if (error == EPERM) {
        const FileDescriptor store = OpenStoreAsItIs();
        why = store.Valid() ? UnmarkedStoreReason(store.Get()) : Reason(errno);
    }
    return "the store folder " + StorePath() + " can not be used (" + why + ")";
}

std::string StoreAccess::NodeFilePath(uint32_t id, std::string_view relative) const {
    return JoinPath(JoinPath(StorePath(), IntToHex(id, 1)), relative);
}

FileDescriptor StoreAccess::OpenNodeFileFolder(uint32_t id, std::string_view relative, bool make,
                                               std::string& name, std::string& error) const {
    const std::string folderName = IntToHex(id, 1);
    if (relative == FolderMarkName) {
        error = "the name " + std::string(relative) + " is the program's own mark";
        return FileDescriptor();
    }
    const FileDescriptor store = OpenStore(make);
    // errno is kept through the message, so callers can tell a missing folder from a refusal.
    const auto refuse = [&](const std::string& text) {
        const int code = errno;
        error = text;
        errno = code;
        return FileDescriptor();
    };
    if (!store.Valid()) {
        return refuse(StoreRefusal(errno));
    }
    std::string why;
    const FileDescriptor node = OpenMarkedFolder(store.Get(), folderName, make, why);
    if (!node.Valid()) {
        return refuse("the folder " + JoinPath(StorePath(), folderName) + " can not be used (" +
                      why + ")");
    }
    FileDescriptor folder = OpenFolderOf(node.Get(), relative, make, name);
    if (!folder.Valid()) {
        return refuse("the file " + NodeFilePath(id, relative) + " can not be reached (" +
                      Reason(errno) + ")");
    }
    return folder;
}

std::unique_ptr<AtomicFileWriter> StoreAccess::OpenNodeFile(uint32_t id, std::string_view relative,
                                                            bool durable,
                                                            std::string& error) const {
    std::string name;
    const FileDescriptor folder = OpenNodeFileFolder(id, relative, true, name, error);
    if (!folder.Valid()) {
        return nullptr;
    }
    auto writer = std::make_unique<AtomicFileWriter>(folder.Get(), name, durable);
    if (!writer->Good()) {
        error = "can not write file " + NodeFilePath(id, relative) + " (" + writer->Error() + ")";
        return nullptr;
    }
    return writer;
}

bool StoreAccess::WriteNodeFile(uint32_t id, std::string_view relative, std::string_view bytes,
                                std::string& error) const {
    std::unique_ptr<AtomicFileWriter> writer = OpenNodeFile(id, relative, true, error);
    if (writer == nullptr) {
        return false;
    }
    if (!writer->Write(bytes.data(), bytes.size()) || !writer->Commit()) {
        error = "can not write file " + NodeFilePath(id, relative) + " (" + writer->Error() + ")";
        return false;
    }
    return true;
}

bool StoreAccess::RemoveNodeFile(uint32_t id, std::string_view relative) const {
    std::string name;
    std::string error;
    errno = 0;
    const FileDescriptor folder = OpenNodeFileFolder(id, relative, false, name, error);
    if (!folder.Valid()) {
        return errno == ENOENT;
    }
    return ::unlinkat(folder.Get(), name.c_str(), 0) == 0 || errno == ENOENT;
}

bool StoreAccess::RemoveNodeFolder(uint32_t id, std::string* left) const {
    const std::string name = IntToHex(id, 1);
    const FileDescriptor store = OpenStore(false);
    if (!store.Valid()) {
        if (errno != ENOENT) {
            Left(left, JoinPath(StorePath(), name), StoreRefusal(errno));
            return false;
        }
        return true;
    }
    std::string why;
    const FileDescriptor node = OpenMarkedFolder(store.Get(), name, false, why);
    if (!node.Valid()) {
        if (errno != ENOENT) {
            Left(left, JoinPath(StorePath(), name), why);
            return false;
        }
        return true;
    }
    errno = 0;
    if (!RemoveMarkedFolder(store.Get(), name, node.Get())) {
        Left(left, JoinPath(StorePath(), name),
             errno != 0 ? Reason(errno) : "what it holds could not all be removed");
        return false;
    }
    return true;
}

StoreAccess::Removed
StoreAccess::RemoveOwnFolders(const std::function<bool(const std::string& name)>& keep,
                              MarkSigner signer) const {
    Removed removed;
    const FileDescriptor store = OpenStore(false);
    if (!store.Valid()) {
        return removed;
    }
    for (const std::string& name : FolderNames(store.Get())) {
        if (keep(name) || RemoveUnnamedFolder(store.Get(), name)) {
            continue;
        }
        std::string why;
        const FileDescriptor folder = OpenMarkedFolder(store.Get(), name, false, why, signer);
        if (!folder.Valid()) {
            continue;
        }
        if (RemoveMarkedFolder(store.Get(), name, folder.Get())) {
            removed.Names.push_back(name);
        } else {
            removed.Failed = true;
        }
    }
    return removed;
}

bool StoreAccess::RemoveStoreIfEmpty(std::string* left) const {
    const FileDescriptor binder = OpenFolderPath(binderFolder_);
    const FileDescriptor store =
        binder.Valid() ? OpenFolderAt(binder.Get(), storeName_) : FileDescriptor();
    if (!store.Valid()) {
        if (errno != ENOENT) {
            Left(left, StorePath(), Reason(errno));
        }
        return false;
    }
    if (!HoldsProgramMark(store.Get())) {
        Left(left, StorePath(), UnmarkedStoreReason(store.Get()));
        return false;
    }
    if (const std::string held = FirstNames(FolderNames(store.Get())); !held.empty()) {
        Left(left, StorePath(), "it still holds " + held);
        return false;
    }
    if (::unlinkat(store.Get(), FolderMarkName, 0) != 0 ||
        ::unlinkat(binder.Get(), storeName_.c_str(), AT_REMOVEDIR) != 0) {
        Left(left, StorePath(), Reason(errno));
        return false;
    }
    return true;
}
