#include "app/capture/ResourceStore.h"

#include "app/capture/PathRules.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/UrlRules.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

std::string LinkFilePath(std::string_view localPath) {
    std::string path = FileUrlToPath(localPath);
    std::erase(path, ':');
    return NormaliseLocalPath(path);
}

std::unique_ptr<AtomicFileWriter> ResourceStore::Open(const std::string& relative) const {
    if (folder_.empty() || relative.empty() || relative.back() == '/') {
        return nullptr;
    }
    const fs::path target = fs::path(folder_) / relative;
    if (!ForceDirectories(target.parent_path().string())) {
        return nullptr;
    }
    // The folder exists now, so both sides resolve every link on their way.
    std::error_code code;
    const fs::path root = fs::canonical(folder_, code);
    if (code) {
        return nullptr;
    }
    const fs::path resolved = fs::weakly_canonical(target, code);
    if (code) {
        return nullptr;
    }
    const auto [rootEnd, inside] =
        std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    if (rootEnd != root.end() || inside == resolved.end()) {
        return nullptr;
    }
    // Resources of a capture that does not finish are fetched again, so they need not wait
    // for the disk.
    auto writer = std::make_unique<AtomicFileWriter>(resolved.string(), false);
    return writer->Good() ? std::move(writer) : nullptr;
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
