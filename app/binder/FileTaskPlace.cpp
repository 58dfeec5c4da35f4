#include "app/binder/FileTaskPlace.h"

#include "app/binder/BinderHeader.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

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

std::string FileTaskFolderName(const std::string& binderFolder, const std::string& storeName,
                               const std::string& localPath) {
    const std::optional<FileTaskPlace> place =
        FindFileTaskPlace(binderFolder, storeName, localPath);
    return place && place->Names.size() > 1 ? place->Names[1] : std::string();
}
