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
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::string_view MarkLine =
    "Tarnwick made this folder and may remove it with all it holds.\nmark ";
constexpr size_t SignatureDigits = 64;
constexpr size_t MarkSize = MarkLine.size() + SignatureDigits + 1;

// The signature of the folder `name`; empty where the user has no secret.
std::string Signature(const std::string& name) {
    return UserSecretDigest("Tarnwick folder " + name);
}

// What the mark of the folder `name` holds: a line a person can read, and the signature. Where
// the user has no secret, random digits stand in for it: the mark counts wherever any mark does,
// and is never taken as signed here.
std::string MarkText(const std::string& name) {
    std::string signature = Signature(name);
    while (signature.size() < SignatureDigits) {
        signature += LowerCase(IntToHex(NewNodeId(), 8));
    }
    return std::string(MarkLine) + signature + "\n";
}

bool IsLowerHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The bytes of the folder's mark, up to one more than a mark holds; nothing when no plain file
// has the mark's name.
std::optional<std::string> ReadMark(int folder) {
    FileDescriptor mark(
        ::openat(folder, FolderMarkName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!mark.Valid() || ::fstat(mark.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // The mark is a few dozen bytes: one read takes it whole.
    std::string text(MarkSize + 1, '\0');
    const ssize_t got = ::pread(mark.Get(), text.data(), text.size(), 0);
    if (got < 0) {
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(got));
    return text;
}

bool IsMarkText(std::string_view text) {
    return text.size() == MarkSize && text.starts_with(MarkLine) && text.back() == '\n' &&
           std::all_of(text.begin() + MarkLine.size(), text.end() - 1, IsLowerHexDigit);
}

// True for the bytes a crash may have made of a mark: empty, cut short, or zeros.
bool IsDamagedMarkText(std::string_view text) {
    if (text.size() > MarkSize || IsMarkText(text)) {
        return false;
    }
    if (std::all_of(text.begin(), text.end(), [](char c) { return c == '\0'; })) {
        return true;
    }
    const size_t line = std::min(text.size(), MarkLine.size());
    return text.substr(0, line) == MarkLine.substr(0, line) &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(line), text.end(),
                       IsLowerHexDigit);
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

std::string FirstNames(std::vector<std::string> names) {
    constexpr size_t Named = 3;
    std::erase(names, std::string(FolderMarkName));
    std::sort(names.begin(), names.end());
    std::string text;
    for (size_t i = 0; i < names.size() && i < Named; ++i) {
        text += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > Named) {
        text += " and " + std::to_string(names.size() - Named) + " more";
    }
    return text;
}

std::string UnmarkedFolderReason(int folder) {
    const std::string held = FirstNames(FolderNames(folder));
    return "it has no mark of the program's" + (held.empty() ? "" : " and holds " + held) +
           ", so the program neither writes there nor removes it";
}

bool WriteFolderMark(int folder, const std::string& name) {
    const std::string text = MarkText(name);
    FileDescriptor mark(::openat(folder, FolderMarkName,
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0444));
    if (!mark.Valid()) {
        return false;
    }
    return WriteAllBytes(mark.Get(), text.data(), text.size()) && mark.Close();
}

bool HoldsFolderMark(int folder, const std::string& name) {
    const std::optional<std::string> text = ReadMark(folder);
    if (!text || !IsMarkText(*text)) {
        return false;
    }
    const std::string signature = Signature(name);
    return !signature.empty() && text->substr(MarkLine.size(), SignatureDigits) == signature;
}

bool HoldsProgramMark(int folder) {
    const std::optional<std::string> text = ReadMark(folder);
    return text && IsMarkText(*text);
}

bool DamagedFolderMark(int folder) {
    const std::optional<std::string> text = ReadMark(folder);
    return text && IsDamagedMarkText(*text);
}

bool RenewFolderMark(int folder, const std::string& name) {
    // One read serves both questions: whole, or what a crash may have left of a mark.
    const std::optional<std::string> text = ReadMark(folder);
    if (text && IsMarkText(*text)) {
        return true;
    }
    struct stat info;
    const bool present = ::fstatat(folder, FolderMarkName, &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (present && !(text && IsDamagedMarkText(*text))) {
        return false;
    }
    return (!present || ::unlinkat(folder, FolderMarkName, 0) == 0) &&
           WriteFolderMark(folder, name);
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

FileDescriptor OpenMarkedFolder(int parent, const std::string& name, bool make, std::string& why,
                                MarkSigner signer) {
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
    if (signer == MarkSigner::Anyone ? !HoldsProgramMark(folder.Get())
                                     : !HoldsFolderMark(folder.Get(), name)) {
        why = UnmarkedFolderReason(folder.Get());
        errno = EPERM;
        return FileDescriptor();
    }
    return folder;
}
