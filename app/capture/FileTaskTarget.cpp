#include "app/capture/FileTaskTarget.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// How many numbered names are tried beside a name that is taken.
constexpr int MaxNumberedNames = 1000;

// The name of a download while it is written: ".tarnwick-download-0123456789ABCDEF.part".
constexpr std::string_view TemporaryPrefix = ".tarnwick-download-";
constexpr std::string_view TemporarySuffix = ".part";
constexpr size_t TemporaryDigits = 16;

// How many of `names` spell `folder` from the start; 0 when they do not.
size_t LeadingNames(const std::vector<std::string>& names, const fs::path& folder) {
    const std::vector<std::string> spelled = PathNames(folder.string());
    if (spelled.empty() || names.size() < spelled.size()) {
        return 0;
    }
    return std::equal(spelled.begin(), spelled.end(), names.begin()) ? spelled.size() : 0;
}

// "..", a hidden name (and "." with it) or a NUL would leave the folder, reach the user's
// settings or cut the name the system sees short.
bool UsableName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('\0') == std::string::npos;
}

} // namespace

std::optional<FileTaskPlace> FindFileTaskPlace(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const std::string& localPath) {
    if (binderFolder.empty() || !IsPlainEntryName(storeName) || !UsableName(storeName) ||
        localPath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path root = fs::canonical(binderFolder, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path written = fs::path(binderFolder) / storeName;
    const fs::path store = root / storeName;
    // A store that is a link leads wherever the binder file's author likes; the walk would
    // refuse it too, but it is no place at all.
    struct stat info;
    if (::lstat(store.c_str(), &info) == 0 ? S_ISLNK(info.st_mode) : errno != ENOENT) {
        return std::nullopt;
    }
    FileTaskPlace place;
    place.Base = root.string();
    place.Names.push_back(storeName);

    const std::string path = NativePath(localPath);
    std::vector<std::string> names = PathNames(path);
    if (!path.empty() && path[0] == '/') {
        size_t taken = LeadingNames(names, written);
        if (taken == 0) {
            taken = LeadingNames(names, store);
        }
        if (taken == 0) {
            return std::nullopt;
        }
        names.erase(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(taken));
    }
    for (std::string& name : names) {
        if (!UsableName(name)) {
            return std::nullopt;
        }
        place.Names.push_back(std::move(name));
    }
    return place;
}

WalkResult OpenPlace(const FileTaskPlace& place, bool make, FileDescriptor& folder) {
    if (place.Names.empty()) {
        return WalkResult::Refused;
    }
    FileDescriptor current = StoreAccess(place.Base, place.Names.front()).OpenStore(make);
    if (!current.Valid()) {
        return errno == ENOENT && !make ? WalkResult::Missing : WalkResult::Refused;
    }
    for (auto name = place.Names.begin() + 1; name != place.Names.end(); ++name) {
        // A folder directly in the store is the program's only when marked, as a node's folder
        // is: one of the user's there gets no download. Below it, all is the program's.
        const bool inStore = name == place.Names.begin() + 1;
        FileDescriptor next = OpenFolderAt(current.Get(), *name);
        if (!next.Valid() && errno == ENOENT) {
            if (!make) {
                return WalkResult::Missing;
            }
            next = inStore ? MakeMarkedFolder(current.Get(), *name)
                           : MakeFolderAt(current.Get(), *name);
            if (!next.Valid() && errno == EEXIST) {
                next = OpenFolderAt(current.Get(), *name);
            }
        }
        // A link ends here (ELOOP), and so does anything that is no folder.
        if (!next.Valid() || (inStore && !HoldsProgramMark(next.Get()))) {
            return WalkResult::Refused;
        }
        current = std::move(next);
    }
    folder = std::move(current);
    return WalkResult::Opened;
}

std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    if (dot == std::string::npos || dot == 0) {
        return name + suffix;
    }
    return name.substr(0, dot) + suffix + name.substr(dot);
}

bool IsDownloadTemporary(std::string_view name) {
    if (name.size() != TemporaryPrefix.size() + TemporaryDigits + TemporarySuffix.size() ||
        !name.starts_with(TemporaryPrefix) || !name.ends_with(TemporarySuffix)) {
        return false;
    }
    const std::string_view digits = name.substr(TemporaryPrefix.size(), TemporaryDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

std::optional<NewFile> CreateDownloadTemporary(const FileDescriptor& folder) {
    // A name met already is another download's: a fresh one is drawn.
    for (int attempt = 0; attempt < MaxNumberedNames; ++attempt) {
        std::string name = std::string(TemporaryPrefix) + IntToHex(NewNodeId(), 8) +
                           IntToHex(NewNodeId(), 8) + std::string(TemporarySuffix);
        const int fd = ::openat(folder.Get(), name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return NewFile{FileDescriptor(fd), std::move(name)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TakeFreeName(const FileDescriptor& folder, const std::string& temporary,
                                        const std::string& name) {
    for (int number = 1; number <= MaxNumberedNames; ++number) {
        std::string candidate = number == 1 ? name : NumberedName(name, number);
        if (RenameWithoutReplacing(folder.Get(), temporary, folder.Get(), candidate)) {
            ::fsync(folder.Get());
            return candidate;
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

int RemoveDownloadTemporaries(const FileDescriptor& folder) {
    std::vector<std::string> found = FolderNames(folder.Get());
    std::erase_if(found, [](const std::string& name) { return !IsDownloadTemporary(name); });
    int removed = 0;
    for (const std::string& name : found) {
        struct stat info;
        if (::fstatat(folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && ::unlinkat(folder.Get(), name.c_str(), 0) == 0) {
            ++removed;
        }
    }
    return removed;
}
