#pragma once

// What a home holds, to tell that a run of the program left the user's files as they were.

#include "tests/support/TempDir.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Every entry below `folder`: a file's bytes, "<dir>", or "-> target" for a link (not followed).
inline std::map<std::string, std::string> Listing(const std::filesystem::path& folder) {
    std::map<std::string, std::string> entries;
    for (std::filesystem::recursive_directory_iterator it(folder), end; it != end; ++it) {
        const std::string name = it->path().lexically_relative(folder).string();
        entries[name] = it->is_symlink()
                            ? "-> " + std::filesystem::read_symlink(it->path()).string()
                        : it->is_directory() ? "<dir>"
                                             : ReadFileBytes(it->path());
    }
    return entries;
}

// The listing without the named entries: the binder's own files.
inline std::map<std::string, std::string> Without(std::map<std::string, std::string> entries,
                                                  const std::set<std::string>& own) {
    std::erase_if(entries, [&](const auto& entry) { return own.count(entry.first) != 0; });
    return entries;
}
