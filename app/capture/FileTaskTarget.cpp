#include "app/capture/FileTaskTarget.h"

#include "app/binder/BinderHeader.h"
#include "app/capture/ResourceStore.h"
#include "platform/base/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// How many numbered names are tried beside a name that is taken.
constexpr int MaxNumberedNames = 1000;

std::vector<std::string> PathNames(const std::string& path) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) {
            names.push_back(path.substr(start, slash - start));
        }
        start = slash + 1;
    }
    return names;
}

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

int OpenFolderAt(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

FileHandle::~FileHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.Release();
    }
    return *this;
}

int FileHandle::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::optional<FileTaskPlace> FindFileTaskPlace(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const std::string& localPath) {
    if (binderFolder.empty() || !IsPlainEntryName(storeName) ||
        localPath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path root = fs::canonical(binderFolder, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path written = fs::path(binderFolder) / storeName;
    FileTaskPlace place;
    fs::path store;
    struct stat info;
    if (::lstat(written.c_str(), &info) == 0) {
        // The store may be a link, but only to a folder inside the binder's own.
        store = fs::canonical(written, error);
        if (error || store == root || !LiesWithin(root, store)) {
            return std::nullopt;
        }
        place.Base = store.string();
    } else if (errno == ENOENT) {
        store = root / storeName;
        place.Base = root.string();
        place.Names.push_back(storeName);
    } else {
        return std::nullopt;
    }

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

WalkResult OpenPlace(const FileTaskPlace& place, bool make, FileHandle& folder) {
    FileHandle current(::open(place.Base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!current.Valid()) {
        return WalkResult::Refused;
    }
    for (const std::string& name : place.Names) {
        int fd = OpenFolderAt(current.Fd(), name);
        if (fd < 0 && errno == ENOENT) {
            if (!make) {
                return WalkResult::Missing;
            }
            if (::mkdirat(current.Fd(), name.c_str(), 0777) != 0 && errno != EEXIST) {
                return WalkResult::Refused;
            }
            fd = OpenFolderAt(current.Fd(), name);
        }
        // A link ends here (ELOOP), and so does anything that is no folder.
        if (fd < 0) {
            return WalkResult::Refused;
        }
        current = FileHandle(fd);
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

std::optional<NewFile> CreateFreeFile(const FileHandle& folder, const std::string& name) {
    for (int number = 1; number <= MaxNumberedNames; ++number) {
        std::string candidate = number == 1 ? name : NumberedName(name, number);
        const int fd = ::openat(folder.Fd(), candidate.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return NewFile{FileHandle(fd), std::move(candidate)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
