#include "app/binder/TemporaryFolder.h"

#include "app/binder/DirectoryTree.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

TemporaryFolder::TemporaryFolder(std::string pattern) {
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = std::move(pattern);
    } else {
        error_ = std::strerror(errno);
    }
}

TemporaryFolder::~TemporaryFolder() {
    if (!path_.empty()) {
        DeleteDirectoryTree(path_);
    }
}
