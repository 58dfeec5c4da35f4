#include "app/binder/StoreLeftovers.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/StoreAccess.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

bool IsNodeFolderName(std::string_view name, uint32_t& id) {
    if (name.empty() || name.size() > 8 || (name.size() > 1 && name[0] == '0')) {
        return false;
    }
    uint32_t value = 0;
    for (char c : name) {
        if (!IsUpperHexDigit(c)) {
            return false;
        }
        value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    id = value;
    return true;
}

bool StoreSharedWithAnotherBinder(const std::string& binderFolder, const std::string& storeName,
                                  const std::string& binderFile, const std::string& saveName) {
    std::error_code error;
    for (fs::directory_iterator entry(binderFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code entryError;
        if (entry->path().extension() != ".bdf" || !entry->is_regular_file(entryError) ||
            (!binderFile.empty() && fs::equivalent(entry->path(), binderFile, entryError))) {
            continue;
        }
        TBinderHeader header;
        if (ReadBinderHeader(entry->path().string(), header) && header.Store == storeName &&
            header.Save != saveName) {
            return true;
        }
    }
    // A folder that cannot be looked through may hold such a binder.
    return bool(error);
}

std::vector<std::string> RemoveLeftoverFolders(const StoreAccess& store,
                                               const std::function<bool(uint32_t id)>& owned,
                                               const std::set<std::string>& taskFolders) {
    return store
        .RemoveOwnFolders(
            [&](const std::string& name) {
                uint32_t id = 0;
                return (IsNodeFolderName(name, id) && owned(id)) || taskFolders.count(name) != 0;
            },
            MarkSigner::ThisInstallation)
        .Names;
}
