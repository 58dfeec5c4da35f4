#include "app/capture/ResourceStore.h"

#include "app/capture/PathRules.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/UrlRules.h"

#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

std::string LinkFilePath(std::string_view localPath) {
    std::string path = FileUrlToPath(localPath);
    std::erase(path, ':');
    return NormaliseLocalPath(path);
}

std::string ResourceStore::Resolve(const std::string& relative) const {
    if (folder_.empty() || relative.empty() || relative.back() == '/') {
        return {};
    }
    const fs::path target = fs::path(folder_) / relative;
    const fs::path parent = target.parent_path();
    if (!ForceDirectories(parent.string())) {
        return {};
    }
    // The folders exist now, so both sides resolve every link on their way; the target itself
    // is followed only where it is a link.
    std::error_code code;
    const fs::path root = CanonicalFolder();
    fs::path resolved = fs::canonical(parent, code) / target.filename();
    if (code || root.empty()) {
        return {};
    }
    struct stat status;
    if (::lstat(resolved.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        resolved = fs::weakly_canonical(resolved, code);
        if (code) {
            return {};
        }
    }
    if (resolved == root || !LiesWithin(root, resolved)) {
        return {};
    }
    return resolved.string();
}

bool LiesWithin(const fs::path& folder, const fs::path& path) {
    // Whole names are compared, so "/a/bc" is not below "/a/b".
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
           folder.end();
}

fs::path ResourceStore::CanonicalFolder() const {
    std::lock_guard<std::mutex> guard(canonicalLock_);
    if (canonical_.empty()) {
        std::error_code code;
        canonical_ = fs::canonical(folder_, code).string();
        if (code) {
            canonical_.clear();
        }
    }
    return canonical_;
}

std::unique_ptr<AtomicFileWriter> ResourceStore::Open(const std::string& relative) const {
    const std::string resolved = Resolve(relative);
    if (resolved.empty()) {
        return nullptr;
    }
    // Resources of a capture that does not finish are fetched again, so they need not wait
    // for the disk.
    auto writer = std::make_unique<AtomicFileWriter>(resolved, false);
    return writer->Good() ? std::move(writer) : nullptr;
}

std::optional<StoredFile> ResourceStore::Stored(const std::string& relative) const {
    const std::string resolved = Resolve(relative);
    struct stat status;
    if (resolved.empty() || ::lstat(resolved.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return StoredFile{resolved, status.st_dev, status.st_ino};
}

namespace {

bool IsFile(const struct stat& status, const StoredFile& file) {
    return S_ISREG(status.st_mode) && status.st_dev == file.Device && status.st_ino == file.Inode;
}

// A name beside `target` that nothing has yet.
std::string LinkName(const std::string& target, const StoredFile& file) {
    const fs::path path(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = (path.parent_path() /
                            ("." + path.filename().string() + ".link-" + IntToHex(NewNodeId(), 8)))
                               .string();
        if (::link(file.Path.c_str(), name.c_str()) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

bool CopyFile(const StoredFile& file, const std::string& target) {
    struct stat status;
    if (::lstat(file.Path.c_str(), &status) != 0 || !IsFile(status, file)) {
        return false;
    }
    std::ifstream source(file.Path, std::ios::binary);
    AtomicFileWriter writer(target, false);
    std::vector<char> block(64 * 1024);
    while (source) {
        source.read(block.data(), static_cast<std::streamsize>(block.size()));
        if (!writer.Write(block.data(), static_cast<size_t>(source.gcount()))) {
            return false;
        }
    }
    return source.eof() && writer.Commit();
}

} // namespace

bool ResourceStore::Share(const StoredFile& file, const std::string& relative) const {
    const std::string target = Resolve(relative);
    if (target.empty()) {
        return false;
    }
    if (target == file.Path) {
        struct stat status;
        return ::lstat(target.c_str(), &status) == 0 && IsFile(status, file);
    }
    const std::string name = LinkName(target, file);
    if (name.empty()) {
        // Refused by the file system (no links across devices, too many links, none at all),
        // or the file is gone.
        return errno != ENOENT && CopyFile(file, target);
    }
    struct stat status;
    if (::lstat(name.c_str(), &status) != 0 || !IsFile(status, file) ||
        ::rename(name.c_str(), target.c_str()) != 0) {
        ::unlink(name.c_str());
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
