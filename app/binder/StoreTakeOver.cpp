#include "app/binder/StoreTakeOver.h"

#include "app/binder/FolderMark.h"
#include "app/binder/StoreLeftovers.h"
#include "platform/base/FileDescriptor.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// How deep a page's resources may lie; deeper folders are nothing a capture makes.
constexpr int MaxDepth = 32;

bool OpensReference(char c) {
    return c == '"' || c == '\'' || c == '=' || c == '(' || c == ',' || c == ' ' || c == '\t' ||
           c == '\r' || c == '\n';
}

bool ClosesReference(char c) {
    return c == '"' || c == '\'' || c == ')' || c == ',' || c == '?' || c == '#' || c == '>' ||
           c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool NamedAsWritten(std::string_view page, std::string_view name) {
    for (size_t at = page.find(name); at != std::string_view::npos; at = page.find(name, at + 1)) {
        const size_t end = at + name.size();
        if ((at == 0 || OpensReference(page[at - 1])) &&
            (end == page.size() || ClosesReference(page[end]))) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitNames(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return PathNames(path);
}

// True when every file below the open folder is one `accept` takes, by its path below the node
// folder; no link, and nothing but files and folders.
template <typename Accept>
bool HoldsOnly(int folder, const std::string& prefix, int depth, const Accept& accept) {
    if (depth > MaxDepth) {
        return false;
    }
    for (const std::string& name : FolderNames(folder)) {
        struct stat info;
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return false;
        }
        const std::string relative = prefix.empty() ? name : prefix + "/" + name;
        if (S_ISDIR(info.st_mode)) {
            const FileDescriptor inner = OpenFolderAt(folder, name);
            if (!inner.Valid() || !HoldsOnly(inner.Get(), relative, depth + 1, accept)) {
                return false;
            }
        } else if (!S_ISREG(info.st_mode) || !accept(relative)) {
            return false;
        }
    }
    return true;
}

// True when the mark's name in the open folder holds nothing but a mark of the program's, whole
// or cut short, or nothing is there.
bool MarkPlaceClean(int folder) {
    struct stat info;
    if (::fstatat(folder, FolderMarkName, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    return HoldsProgramMark(folder) || DamagedFolderMark(folder);
}

// True when the entry `name` of the store is a page folder the tree accounts for whole.
bool IsPageFolder(int store, const std::string& name, const StoreClaims& claims) {
    uint32_t id = 0;
    if (!IsNodeFolderName(name, id) || claims.TaskFolders.count(name) != 0) {
        return false;
    }
    const auto page = claims.Pages.find(id);
    if (page == claims.Pages.end()) {
        return false;
    }
    const FileDescriptor folder = OpenFolderAt(store, name);
    if (!folder.Valid() || !MarkPlaceClean(folder.Get())) {
        return false;
    }
    const std::string pageFile = name + ".htm";
    return HoldsOnly(folder.Get(), "", 0, [&](const std::string& relative) {
        return relative == FolderMarkName || relative == pageFile ||
               PageNamesFile(page->second, relative);
    });
}

} // namespace

std::string FileTaskFolderName(const std::string& localPath, const std::string& storeName) {
    const std::vector<std::string> names = SplitNames(localPath);
    if (localPath.empty() || (localPath[0] != '/' && localPath[0] != '\\')) {
        return names.empty() ? std::string() : names.front();
    }
    // An absolute path leads below the store where it passes the store's name; each such place
    // is counted, as the walk may take any of them.
    const auto store = std::find(names.begin(), names.end(), storeName);
    return store != names.end() && store + 1 != names.end() ? *(store + 1) : std::string();
}

bool PageNamesFile(std::string_view page, std::string_view relative) {
    if (relative.empty()) {
        return false;
    }
    std::string backslashed(relative);
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    return NamedAsWritten(page, relative) || NamedAsWritten(page, backslashed);
}

bool TakeOverStore(const std::string& binderFolder, const std::string& storeName,
                   const StoreClaims& claims) {
    const FileDescriptor binder = OpenFolderPath(binderFolder);
    const FileDescriptor store =
        binder.Valid() ? OpenFolderAt(binder.Get(), storeName) : FileDescriptor();
    if (!store.Valid() || !MarkPlaceClean(store.Get())) {
        return false;
    }
    std::vector<std::string> names = FolderNames(store.Get());
    const size_t entries = names.size();
    std::erase(names, std::string(FolderMarkName));
    // A mark, whole or cut short by a crash, says the program made the store.
    const bool owned = entries != names.size();
    std::vector<std::string> pages;
    for (const std::string& name : names) {
        if (!owned) {
            if (!IsPageFolder(store.Get(), name, claims)) {
                return false;
            }
            pages.push_back(name);
            continue;
        }
        // In a store of the program's, a folder marked already is left at one look at its mark
        // (every open comes here); a folder whose mark a crash cut short (marks are not flushed
        // on their own) is the program's whatever it holds, as a capture's files the tree had
        // not recorded yet.
        const FileDescriptor folder = OpenFolderAt(store.Get(), name);
        if (folder.Valid() && !HoldsProgramMark(folder.Get()) &&
            (DamagedFolderMark(folder.Get()) || IsPageFolder(store.Get(), name, claims))) {
            pages.push_back(name);
        }
    }
    for (const std::string& name : pages) {
        const FileDescriptor folder = OpenFolderAt(store.Get(), name);
        if (folder.Valid()) {
            RenewFolderMark(folder.Get(), name);
        }
    }
    // The store last: one cut short before it is marked is taken over again at the next open.
    return RenewFolderMark(store.Get(), storeName);
}
