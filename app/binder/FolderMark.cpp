#include "app/binder/FolderMark.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"
#include "platform/base/UserSecret.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

// What the mark of the folder `name` holds: a line a person can read, and the signature.
std::string MarkText(const std::string& name) {
    return "Tarnwick made this folder and may remove it with all it holds.\nmark " +
           UserSecretDigest("Tarnwick folder " + name) + "\n";
}

// The passing names MakeMarkedFolder makes a folder under before it names it.
constexpr std::string_view PassingPrefix = ".tarnwick-new-";
constexpr size_t PassingDigits = 8;

bool IsPassingName(std::string_view name) {
    return name.size() == PassingPrefix.size() + PassingDigits && name.starts_with(PassingPrefix) &&
           std::all_of(name.begin() + PassingPrefix.size(), name.end(),
                       [](char c) { return std::isdigit(c) || (c >= 'A' && c <= 'F'); });
}

} // namespace

bool WriteFolderMark(int folder, const std::string& name) {
    const std::string text = MarkText(name);
    FileDescriptor mark(::openat(folder, FolderMarkName,
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0444));
    if (!mark.Valid()) {
        return false;
    }
    // A folder whose mark were lost in a power cut could never be written or removed again.
    return WriteAllBytes(mark.Get(), text.data(), text.size()) && ::fsync(mark.Get()) == 0 &&
           mark.Close();
}

bool HoldsFolderMark(int folder, const std::string& name) {
    const std::string expected = MarkText(name);
    FileDescriptor mark(
        ::openat(folder, FolderMarkName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!mark.Valid() || ::fstat(mark.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size != static_cast<off_t>(expected.size())) {
        return false;
    }
    // The mark is a few dozen bytes: one read takes it whole.
    std::string text(expected.size(), '\0');
    return ::pread(mark.Get(), text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) &&
           text == expected;
}

FileDescriptor MakeMarkedFolder(int parent, const std::string& name) {
    if (!IsEntryName(name)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    std::string passing;
    for (int attempt = 0; attempt < 100 && passing.empty(); ++attempt) {
        passing = std::string(PassingPrefix) + IntToHex(NewNodeId(), PassingDigits);
        if (::mkdirat(parent, passing.c_str(), 0777) != 0) {
            if (errno != EEXIST) {
                return FileDescriptor();
            }
            passing.clear();
        }
    }
    FileDescriptor folder = OpenFolderAt(parent, passing);
    if (folder.Valid() && WriteFolderMark(folder.Get(), name) &&
        RenameWithoutReplacing(parent, passing, parent, name)) {
        return folder;
    }
    const int error = errno;
    RemoveEntryAt(parent, passing);
    errno = error;
    return FileDescriptor();
}

bool RemoveUnnamedFolder(int parent, const std::string& name) {
    if (!IsPassingName(name)) {
        return false;
    }
    const FileDescriptor folder = OpenFolderAt(parent, name);
    struct stat mark;
    // Nothing is written into a folder before it has its name: one that holds more is not one
    // the program left.
    return folder.Valid() &&
           FolderNames(folder.Get()) == std::vector<std::string>{FolderMarkName} &&
           ::fstatat(folder.Get(), FolderMarkName, &mark, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(mark.st_mode) && ::unlinkat(folder.Get(), FolderMarkName, 0) == 0 &&
           ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

FileDescriptor OpenMarkedFolder(int parent, const std::string& name, bool make, std::string& why) {
    FileDescriptor folder = OpenFolderAt(parent, name);
    if (!folder.Valid() && errno == ENOENT && make) {
        folder = MakeMarkedFolder(parent, name);
        if (!folder.Valid() && errno == EEXIST) {
            // Made by another writer meanwhile.
            folder = OpenFolderAt(parent, name);
        }
    }
    if (!folder.Valid()) {
        why = errno == ELOOP ? "it is a link" : std::strerror(errno);
        return folder;
    }
    if (!HoldsFolderMark(folder.Get(), name)) {
        why = "the program did not make it, so it neither writes there nor removes it";
        errno = EPERM;
        return FileDescriptor();
    }
    return folder;
}
