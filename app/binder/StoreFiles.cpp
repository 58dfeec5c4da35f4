#include "app/binder/StoreFiles.h"

#include "app/binder/FolderMark.h"
#include "app/binder/PageInfo.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace fs = std::filesystem;

std::string NodeStoreFolder(const std::string& root, const std::string& store, uint32_t id) {
    return JoinPath(JoinPath(root, store), IntToHex(id, 1));
}

namespace {

bool PassesFilter(const std::string& name, const std::vector<std::string>* filter) {
    if (filter == nullptr) {
        return true;
    }
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) {
        return false;
    }
    const std::string extension = LowerCase(name.substr(dot + 1));
    return std::any_of(filter->begin(), filter->end(),
                       [&](const std::string& wanted) { return LowerCase(wanted) == extension; });
}

class StoreWalk {
public:
    StoreWalk(StrVector& found, const std::vector<std::string>* filter, bool recurse,
              std::string root)
        : found_(found), filter_(filter), recurse_(recurse), root_(std::move(root)) {}

    void Folder(const fs::path& dir, const std::string& prefix) {
        struct stat info;
        if (::stat(dir.c_str(), &info) != 0 ||
            !visited_.insert({info.st_dev, info.st_ino}).second) {
            return;
        }
        for (const std::string& name : SortedNames(dir)) {
            const fs::path path = dir / name;
            std::error_code error;
            const fs::file_status status = fs::symlink_status(path, error);
            if (fs::is_regular_file(status) ||
                (fs::is_symlink(status) && LinksToFileInside(path))) {
                if (PassesFilter(name, filter_)) {
                    found_.push_back(prefix + "\\" + name);
                }
            } else if (fs::is_directory(status) && recurse_) {
                Folder(path, prefix + "\\" + name);
            }
        }
    }

private:
    // The folder's entries; a listing error ends the listing with what was read so far.
    static std::vector<std::string> SortedNames(const fs::path& dir) {
        std::vector<std::string> names;
        std::error_code error;
        for (fs::directory_iterator entry(dir, error), end; !error && entry != end;
             entry.increment(error)) {
            names.push_back(entry->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    bool LinksToFileInside(const fs::path& link) const {
        std::error_code error;
        const std::string target = fs::canonical(link, error).string();
        if (error || !fs::is_regular_file(target, error)) {
            return false;
        }
        return root_ == "/" ||
               (target.size() > root_.size() && target.compare(0, root_.size(), root_) == 0 &&
                target[root_.size()] == '/');
    }

    StrVector& found_;
    const std::vector<std::string>* filter_;
    bool recurse_;
    std::string root_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

} // namespace

void FindFilesRecursive(StrVector& found, const std::string& dir, const std::string& prefix,
                        const std::vector<std::string>* filter, bool recurse) {
    std::error_code error;
    fs::path root = fs::canonical(dir, error);
    if (error || !fs::is_directory(root, error)) {
        return;
    }
    StoreWalk(found, filter, recurse, root.string()).Folder(dir, prefix);
}

StrVector ListNodeStoreFiles(const TPageInfo& record, const std::string& root,
                             const std::string& store) {
    StrVector found;
    const std::string prefix = IntToHex(record.Id, 1);
    FindFilesRecursive(found, NodeStoreFolder(root, store, record.Id), prefix, nullptr, true);
    // The mark belongs to the folder, not to the page: no export, copy or listing carries it.
    std::erase(found, prefix + "\\" + FolderMarkName);
    return found;
}

std::vector<uint32_t> WebPageIds(std::span<TTreeNode* const> nodes) {
    std::vector<uint32_t> pages;
    for (const TTreeNode* node : nodes) {
        const TPageInfo* record = NodeRecord(node);
        if (record != nullptr && record->Kind == NodeKind::WebPage) {
            pages.push_back(record->Id);
        }
    }
    return pages;
}

std::vector<std::string> DeleteNodeFolders(std::span<const uint32_t> pageIds,
                                           const std::string& root, const std::string& store) {
    const StoreAccess access(root, store);
    std::vector<std::string> left;
    for (const uint32_t id : pageIds) {
        if (std::string stays; !access.RemoveNodeFolder(id, &stays) && !stays.empty()) {
            left.push_back(std::move(stays));
        }
    }
    return left;
}
