#include "app/capture/ResourceStore.h"

#include "app/binder/NodePageFile.h"
#include "app/capture/PathRules.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/UrlRules.h"

#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string LinkFilePath(std::string_view localPath) {
    std::string path = FileUrlToPath(localPath);
    std::erase(path, ':');
    return NormaliseLocalPath(path);
}

std::unique_ptr<AtomicFileWriter> ResourceStore::Open(const std::string& relative) const {
    // Resources of a capture that does not finish are fetched again, so they need not wait
    // for the disk.
    std::string error;
    return store_.OpenNodeFile(id_, relative, false, error);
}

bool ResourceStore::CanStorePage(std::string& error) const {
    // A writer that is never committed leaves nothing behind, the page file as it was.
    return store_.OpenNodeFile(id_, NodePageFileName(id_), false, error) != nullptr;
}

std::optional<StoredFile> ResourceStore::Stored(const std::string& relative) const {
    std::string name;
    std::string error;
    const FileDescriptor folder = store_.OpenNodeFileFolder(id_, relative, false, name, error);
    struct stat status;
    if (!folder.Valid() ||
        ::fstatat(folder.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return StoredFile{JoinPath(JoinPath(store_.StorePath(), IntToHex(id_, 1)), relative),
                      status.st_dev, status.st_ino};
}

namespace {

bool IsFile(const struct stat& status, const StoredFile& file) {
    return S_ISREG(status.st_mode) && status.st_dev == file.Device && status.st_ino == file.Inode;
}

// A hard link to the stored file under a name beside `name` that nothing has yet; empty, with
// errno set, when the file system refuses.
std::string LinkName(int folder, const std::string& name, const StoredFile& file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string passing = "." + name + ".link-" + IntToHex(NewNodeId(), 8);
        if (::linkat(AT_FDCWD, file.Path.c_str(), folder, passing.c_str(), 0) == 0) {
            return passing;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

bool CopyFile(const StoredFile& file, int folder, const std::string& name) {
    FileDescriptor source(::open(file.Path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status;
    if (!source.Valid() || ::fstat(source.Get(), &status) != 0 || !IsFile(status, file)) {
        return false;
    }
    AtomicFileWriter writer(folder, name, false);
    std::vector<char> block(64 * 1024);
    for (;;) {
        const ssize_t count = ::read(source.Get(), block.data(), block.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            return writer.Commit();
        }
        if (!writer.Write(block.data(), static_cast<size_t>(count))) {
            return false;
        }
    }
}

} // namespace

bool ResourceStore::Share(const StoredFile& file, const std::string& relative) const {
    std::string name;
    std::string error;
    const FileDescriptor folder = store_.OpenNodeFileFolder(id_, relative, true, name, error);
    if (!folder.Valid()) {
        return false;
    }
    struct stat status;
    if (::fstatat(folder.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        IsFile(status, file)) {
        return true; // the stored file is there already
    }
    const std::string passing = LinkName(folder.Get(), name, file);
    if (passing.empty()) {
        // Refused by the file system (no links across devices, too many links, none at all),
        // or the file is gone.
        return errno != ENOENT && CopyFile(file, folder.Get(), name);
    }
    if (::fstatat(folder.Get(), passing.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !IsFile(status, file) ||
        ::renameat(folder.Get(), passing.c_str(), folder.Get(), name.c_str()) != 0) {
        ::unlinkat(folder.Get(), passing.c_str(), 0);
        return false;
    }
    return true;
}

bool ResourceStore::Save(const std::string& relative, std::string_view bytes) const {
    std::unique_ptr<AtomicFileWriter> writer = Open(relative);
    return writer != nullptr && writer->Write(bytes.data(), bytes.size()) && writer->Commit();
}

bool ResourceStore::Download(const std::string& url, const std::string& relative,
                             const HttpOptions& options) const {
    std::unique_ptr<AtomicFileWriter> writer;
    HttpResult result = ThreadHttpClient().GetTo(
        url, options,
        [&writer](const char* data, size_t length) { return writer->Write(data, length); },
        [&](const HttpResult& headers) {
            if (!IsDownloadStatus(headers)) {
                return false;
            }
            writer = Open(relative);
            return writer != nullptr;
        });
    return result.Ok() && writer != nullptr && writer->Commit();
}
