#include "app/binder/StoreLeftovers.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/DirectoryTree.h"
#include "app/binder/ExchangeUnpack.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view StoreSuffix = "store";
constexpr size_t StagingLetters = 6;

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// True when another binder file in the folder names the store and another tree file.
bool SharedWithAnotherBinder(const std::string& binderFolder, const std::string& storeName,
                             const std::string& binderFile, const std::string& saveName) {
    std::error_code error;
    for (fs::directory_iterator entry(binderFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code entryError;
        if (entry->path().extension() != ".bdf" || !entry->is_regular_file(entryError) ||
            (!binderFile.empty() && fs::equivalent(entry->path(), binderFile, entryError))) {
            continue;
        }
        TBinderHeader header;
        if (ReadBinderHeader(entry->path().string(), header) && header.Store == storeName &&
            header.Save != saveName) {
            return true;
        }
    }
    return bool(error);
}

} // namespace

bool IsNodeFolderName(std::string_view name, uint32_t& id) {
    if (name.empty() || name.size() > 8 || (name.size() > 1 && name[0] == '0')) {
        return false;
    }
    uint32_t value = 0;
    for (char c : name) {
        if (!IsUpperHexDigit(c)) {
            return false;
        }
        value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    id = value;
    return true;
}

bool IsStagingFolderName(std::string_view name) {
    const std::string_view prefix = ImportStagingPrefix;
    if (name.size() != prefix.size() + StagingLetters || !name.starts_with(prefix)) {
        return false;
    }
    for (char c : name.substr(prefix.size())) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool StoreMayBeSwept(const std::string& binderFolder, const std::string& storeName,
                     const std::string& binderFile, const std::string& saveName) {
    if (!IsPlainEntryName(storeName) || !storeName.ends_with(StoreSuffix)) {
        return false;
    }
    struct stat info;
    const std::string store = JoinPath(binderFolder, storeName);
    if (store.empty() || ::lstat(store.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    return !SharedWithAnotherBinder(binderFolder, storeName, binderFile, saveName);
}

std::vector<std::string> RemoveLeftoverFolders(const std::string& store,
                                               const std::function<bool(uint32_t id)>& owned) {
    std::vector<std::string> removed;
    const int fd = ::open(store.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return removed;
    }
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        ::close(fd);
        return removed;
    }
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        uint32_t id = 0;
        const bool leftover =
            (IsNodeFolderName(name, id) && !owned(id)) || IsStagingFolderName(name);
        struct stat info;
        if (leftover && ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode)) {
            leftovers.emplace_back(name);
        }
    }
    ::closedir(folder);
    for (const std::string& name : leftovers) {
        if (DeleteDirectoryTree(JoinPath(store, name))) {
            removed.push_back(name);
        }
    }
    return removed;
}
