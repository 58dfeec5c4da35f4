#include "app/binder/DirectoryTree.h"

#include "platform/base/FolderEntries.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The path without "." and ".." steps and without a trailing separator.
fs::path Normal(const fs::path& path) {
    fs::path normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

// Whether `folder` is `inner` or one of the folders above it.
bool Holds(const fs::path& folder, const fs::path& inner) {
    return std::mismatch(folder.begin(), folder.end(), inner.begin(), inner.end()).first ==
           folder.end();
}

} // namespace

// A binder value or a damaged file must never make us empty the disk, a system folder or
// the user's home: both spellings are checked, the written one (a link named like the home folder
// is still the home folder to its user) and the resolved one.
bool ProtectedFolder(const std::string& text) {
    const fs::path folder(text);
    if (!folder.is_absolute()) {
        return true;
    }
    std::error_code error;
    std::vector<fs::path> forms{Normal(folder)};
    fs::path resolved = fs::weakly_canonical(folder, error);
    if (!error) {
        forms.push_back(Normal(resolved));
    }
    std::vector<fs::path> homes;
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        homes.push_back(Normal(home));
        fs::path resolvedHome = fs::weakly_canonical(home, error);
        if (!error) {
            homes.push_back(Normal(resolvedHome));
        }
    }
    for (const fs::path& form : forms) {
        // "/" and the folders right below it ("/tmp", "/usr") hold far more than a binder.
        if (std::distance(form.begin(), form.end()) <= 2) {
            return true;
        }
        for (const fs::path& home : homes) {
            if (Holds(form, home)) {
                return true;
            }
        }
    }
    return false;
}

bool DeleteDirectoryTree(const std::string& folder) {
    if (folder.size() < 4 || ProtectedFolder(folder)) {
        return false;
    }
    // The folder's own parent is reached as written; from there on nothing is followed.
    const fs::path path = Normal(folder);
    const FileDescriptor parent = OpenFolderPath(path.parent_path().string());
    return parent.Valid() && RemoveEntryAt(parent.Get(), path.filename().string());
}
