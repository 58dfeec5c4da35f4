#include "app/capture/FileTaskTarget.h"

#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many numbered names are tried beside a name that is taken.
constexpr int MaxNumberedNames = 1000;

// The name of a download while it is written: ".tarnwick-download-0123456789ABCDEF.part".
constexpr std::string_view TemporaryPrefix = ".tarnwick-download-";
constexpr std::string_view TemporarySuffix = ".part";
constexpr size_t TemporaryDigits = 16;

} // namespace

WalkResult OpenPlace(const FileTaskPlace& place, bool make, FileDescriptor& folder,
                     std::string* why) {
    if (place.Names.empty()) {
        return WalkResult::Refused;
    }
    const StoreAccess store(place.Base, place.Names.front());
    FileDescriptor current = store.OpenStore(make);
    if (!current.Valid()) {
        if (errno == ENOENT && !make) {
            return WalkResult::Missing;
        }
        if (why != nullptr) {
            *why = store.StoreRefusal(errno);
        }
        return WalkResult::Refused;
    }
    std::string path = store.StorePath();
    for (auto name = place.Names.begin() + 1; name != place.Names.end(); ++name) {
        // A folder directly in the store is the program's only when marked, as a node's folder
        // is: one of the user's there gets no download. Below it, all is the program's.
        const bool inStore = name == place.Names.begin() + 1;
        path = JoinPath(path, *name);
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
        const bool refused = !next.Valid() || (inStore && !HoldsProgramMark(next.Get()));
        if (refused) {
            if (why != nullptr) {
                *why = "the folder " + path + " can not be used (" +
                       (next.Valid()       ? UnmarkedFolderReason(next.Get())
                        : errno == ELOOP   ? std::string("it is a link")
                        : errno == ENOTDIR ? std::string("it is not a folder")
                                           : std::string(std::strerror(errno))) +
                       ")";
            }
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
