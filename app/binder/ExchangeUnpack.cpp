#include "app/binder/ExchangeUnpack.h"

#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Failure(const std::string& what, const std::string& path) {
    return what + path + " (" + std::strerror(errno) + ")";
}

// Writes the bytes as the file `name` of the open folder, never through a link.
bool WriteNewFile(int folder, const std::string& name, std::string_view bytes) {
    FileDescriptor file(::openat(folder, name.c_str(),
                                 O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    return file.Valid() && WriteAllBytes(file.Get(), bytes.data(), bytes.size()) && file.Close();
}

// The staging folder of one import, made and marked in the store, removed with what is left in
// it when the import ends.
class StagingFolder {
public:
    explicit StagingFolder(int store) : store_(store) {
        for (int attempt = 0; attempt < 100 && !folder_.Valid(); ++attempt) {
            name_ = ImportStagingPrefix + IntToHex(NewNodeId(), 8);
            folder_ = MakeMarkedFolder(store_, name_);
            if (!folder_.Valid() && errno != EEXIST) {
                break;
            }
        }
    }
    ~StagingFolder() {
        if (folder_.Valid()) {
            RemoveEntryAt(store_, name_);
        }
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    int Get() const { return folder_.Get(); }
    bool Valid() const { return folder_.Valid(); }

private:
    int store_;
    std::string name_;
    FileDescriptor folder_;
};

} // namespace

std::string TargetRelative(const SectionFile& file, uint32_t id) {
    if (id != file.Id && SameText(file.Relative, IntToHex(file.Id, 1) + ".htm")) {
        return IntToHex(id, 1) + ".htm";
    }
    return file.Relative;
}

bool NodeFolderExists(const std::string& store, uint32_t id) {
    struct stat info;
    return ::lstat(JoinPath(store, IntToHex(id, 1)).c_str(), &info) == 0 || errno != ENOENT;
}

// Writes the section's files for every id that receives them, staged and then moved into the
// store. On failure the node folders made by the import are removed again.
bool UnpackFiles(const std::vector<SectionFile>& files, const IdTargets& targets,
                 const StoreAccess& store, std::string& error) {
    if (files.empty()) {
        return true;
    }
    const std::string storePath = store.StorePath();
    const FileDescriptor storeFolder = store.OpenStore(true);
    if (!storeFolder.Valid()) {
        error = Failure("can not create directory", storePath);
        return false;
    }
    // The files of one import land here first.
    const StagingFolder staging(storeFolder.Get());
    if (!staging.Valid()) {
        error = Failure("can not create directory", storePath);
        return false;
    }
    std::set<uint32_t> ids;
    // The node folders this import made in its staging folder, each opened once.
    std::map<uint32_t, FileDescriptor> nodes;
    for (const SectionFile& file : files) {
        for (uint32_t id : targets.at(file.Id)) {
            const std::string relative = TargetRelative(file, id);
            const std::string target = JoinPath(JoinPath(storePath, IntToHex(id, 1)), relative);
            FileDescriptor& node = nodes[id];
            if (!node.Valid()) {
                // Made in place, and marked only before it moves into the store: nothing but
                // this import sees the staging folder, and one a crash leaves goes with it whole.
                node = MakeFolderAt(staging.Get(), IntToHex(id, 1));
            }
            std::string name;
            const FileDescriptor folder =
                node.Valid() ? OpenFolderOf(node.Get(), relative, true, name) : FileDescriptor();
            if (!folder.Valid()) {
                error = Failure("can not write file ", target);
                return false;
            }
            // The folder's mark is the program's to write: one the file brings is left out, so
            // the folder stays the program's.
            if (relative != FolderMarkName && !WriteNewFile(folder.Get(), name, file.Bytes)) {
                error = Failure("can not write file ", target);
                return false;
            }
            ids.insert(id);
        }
    }
    // Puts the bytes written below the staging folder on the disk, with everything else of its
    // file system, before any of them is moved into the store.
    if (::syncfs(staging.Get()) != 0) {
        error = Failure("can not write file ", storePath);
        return false;
    }
    std::vector<std::string> moved;
    for (uint32_t id : ids) {
        const std::string name = IntToHex(id, 1);
        // The mark goes to the disk as the system writes it back: one a crash cuts short is
        // marked anew when the binder opens (StoreTakeOver), so it costs the import no sync.
        if (!WriteFolderMark(nodes[id].Get(), name) ||
            !RenameWithoutReplacing(staging.Get(), name, storeFolder.Get(), name)) {
            error = Failure("can not write file ", JoinPath(storePath, name));
            for (const std::string& made : moved) {
                RemoveEntryAt(storeFolder.Get(), made);
            }
            return false;
        }
        moved.push_back(name);
    }
    return true;
}
