#include "platform/base/FolderEntries.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Without waiting: a pipe put where a folder was expected fails at once instead of blocking.
constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

} // namespace

bool IsEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

FileDescriptor OpenFolderPath(const std::string& path) {
    return FileDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
}

FileDescriptor OpenFolderAt(int folder, const std::string& name) {
    if (!IsEntryName(name)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    return FileDescriptor(::openat(folder, name.c_str(), FolderFlags));
}

FileDescriptor MakeFolderAt(int folder, const std::string& name) {
    FileDescriptor opened = OpenFolderAt(folder, name);
    if (opened.Valid() || errno != ENOENT) {
        return opened;
    }
    // Another thread may make it first: then it is opened all the same.
    if (::mkdirat(folder, name.c_str(), 0777) != 0 && errno != EEXIST) {
        return FileDescriptor();
    }
    return OpenFolderAt(folder, name);
}

std::vector<std::string> FolderNames(int folder) {
    std::vector<std::string> names;
    // A descriptor of its own, so the listing starts at the beginning whatever was read before.
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = own >= 0 ? ::fdopendir(own) : nullptr;
    if (listing == nullptr) {
        if (own >= 0) {
            ::close(own);
        }
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    ::closedir(listing);
    return names;
}

std::vector<std::string> PathNames(std::string_view path) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) {
            names.emplace_back(path.substr(start, slash - start));
        }
        start = slash + 1;
    }
    return names;
}

FileDescriptor OpenFolderOf(int base, std::string_view relative, bool make, std::string& name) {
    FileDescriptor folder(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    size_t start = 0;
    for (size_t slash = relative.find('/'); folder.Valid() && slash != std::string_view::npos;
         slash = relative.find('/', start)) {
        const std::string step(relative.substr(start, slash - start));
        folder = make ? MakeFolderAt(folder.Get(), step) : OpenFolderAt(folder.Get(), step);
        start = slash + 1;
    }
    name = std::string(relative.substr(start));
    if (folder.Valid() && !IsEntryName(name)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    return folder;
}

bool RenameWithoutReplacing(int fromFolder, const std::string& from, int toFolder,
                            const std::string& to) {
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the rename that never replaces. A second link never replaces
    // either, and the first then goes; a folder takes no second link, so its new name is looked
    // at first.
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) == 0) {
        ::unlinkat(fromFolder, from.c_str(), 0);
        return true;
    }
    if (errno != EPERM) {
        return false;
    }
    struct stat info;
    if (::fstatat(toFolder, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) == 0;
}

bool RemoveFolderContents(int folder) {
    for (const std::string& entry : FolderNames(folder)) {
        if (!RemoveEntryAt(folder, entry)) {
            return false;
        }
    }
    return true;
}

bool RemoveEntryAt(int folder, const std::string& name) {
    if (!IsEntryName(name)) {
        return false;
    }
    FileDescriptor inner(::openat(folder, name.c_str(), FolderFlags));
    if (!inner.Valid()) {
        // A file, a link or something else that is no folder goes itself.
        return (errno == ENOTDIR || errno == ELOOP) && ::unlinkat(folder, name.c_str(), 0) == 0;
    }
    return RemoveFolderContents(inner.Get()) && ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}
