#include "app/binder/DirectoryTree.h"

#include <filesystem>

namespace fs = std::filesystem;

bool DeleteDirectoryTree(const std::string& folder) {
    if (folder.size() < 4) {
        return false;
    }
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(folder, error))) {
        return fs::remove(folder, error);
    }
    // Hidden entries are deleted too: skipping them would leave the folder behind.
    bool deleted = true;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code entryError;
        if (fs::is_directory(entry->symlink_status(entryError))) {
            deleted = DeleteDirectoryTree(entry->path().string());
        } else {
            deleted = fs::remove(entry->path(), entryError);
        }
        if (!deleted) {
            return false;
        }
    }
    return fs::remove(folder, error);
}
