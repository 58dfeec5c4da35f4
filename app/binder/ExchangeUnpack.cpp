#include "app/binder/ExchangeUnpack.h"

#include "app/binder/DirectoryTree.h"
#include "app/binder/TemporaryFolder.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

bool WriteNewFile(const std::string& path, std::string_view bytes, std::string& error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "can not write file " + path + " (" + ErrnoText() + ")";
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            error = "can not write file " + path + " (" + ErrnoText() + ")";
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(count);
    }
    if (::close(fd) != 0) {
        error = "can not write file " + path + " (" + ErrnoText() + ")";
        return false;
    }
    return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat info;
        if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            return true;
        }
        errno = ENOTDIR;
    }
    error = "can not create directory" + path + " (" + ErrnoText() + ")";
    return false;
}

// Creates the folders of `relative` below `base` one by one, so a link is never followed.
bool MakeFoldersOf(const std::string& base, const std::string& relative, std::string& error) {
    std::string path = base;
    size_t start = 0;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', start)) {
        path = JoinPath(path, std::string_view(relative).substr(start, slash - start));
        if (!MakeFolder(path, error)) {
            return false;
        }
        start = slash + 1;
    }
    return true;
}

// Puts the bytes written below `folder` on the disk, with everything else of its file system.
bool SyncFolder(const std::string& folder, std::string& error) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    if (!synced) {
        error = "can not write file " + folder + " (" + ErrnoText() + ")";
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return synced;
}

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

bool TargetIsPlain(const std::string& store, uint32_t id, const std::string& relative) {
    std::string path = JoinPath(store, IntToHex(id, 1));
    std::string_view rest = relative;
    while (true) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0) {
            return errno == ENOENT;
        }
        if (rest.empty()) {
            return S_ISREG(info.st_mode);
        }
        if (!S_ISDIR(info.st_mode)) {
            return false;
        }
        const size_t slash = rest.find('/');
        path = JoinPath(path, rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
}

// Writes the section's files for every id that receives them, staged and then moved into the
// node folders. On failure the node folders made by the import are removed again.
bool UnpackFiles(const std::vector<SectionFile>& files, const IdTargets& targets,
                 const std::string& store, std::string& error) {
    if (files.empty()) {
        return true;
    }
    if (!ForceDirectories(store)) {
        error = "can not create directory" + store;
        return false;
    }
    // The files of one import land here first.
    const TemporaryFolder staging(JoinPath(store, std::string(ImportStagingPrefix) + "XXXXXX"));
    if (staging.Path().empty()) {
        error = "can not create directory" + store + " (" + staging.Error() + ")";
        return false;
    }
    std::set<uint32_t> ids;
    for (const SectionFile& file : files) {
        for (uint32_t id : targets.at(file.Id)) {
            const std::string folder = JoinPath(staging.Path(), IntToHex(id, 1));
            const std::string relative = TargetRelative(file, id);
            if (!MakeFolder(folder, error) || !MakeFoldersOf(folder, relative, error) ||
                !WriteNewFile(JoinPath(folder, relative), file.Bytes, error)) {
                return false;
            }
            ids.insert(id);
        }
    }
    if (!SyncFolder(staging.Path(), error)) {
        return false;
    }
    std::vector<std::string> made;
    auto undo = [&] {
        for (const std::string& folder : made) {
            DeleteDirectoryTree(folder);
        }
        return false;
    };
    for (uint32_t id : ids) {
        const std::string from = JoinPath(staging.Path(), IntToHex(id, 1));
        const std::string to = JoinPath(store, IntToHex(id, 1));
        if (!NodeFolderExists(store, id)) {
            if (::rename(from.c_str(), to.c_str()) != 0) {
                error = "can not write file " + to + " (" + ErrnoText() + ")";
                return undo();
            }
            made.push_back(to);
            continue;
        }
        // A node folder left from before: the files go in one by one, over those of the
        // same name.
        for (const SectionFile& file : files) {
            const std::vector<uint32_t>& receivers = targets.at(file.Id);
            if (std::find(receivers.begin(), receivers.end(), id) == receivers.end()) {
                continue;
            }
            const std::string relative = TargetRelative(file, id);
            const std::string source = JoinPath(from, relative);
            const std::string target = JoinPath(to, relative);
            if (!MakeFoldersOf(to, relative, error)) {
                return undo();
            }
            if (::rename(source.c_str(), target.c_str()) != 0 && errno != ENOENT) {
                error = "can not write file " + target + " (" + ErrnoText() + ")";
                return undo();
            }
        }
    }
    return true;
}
