#include "app/binder/NodePageFile.h"

#include "app/binder/StoreAccess.h"
#include "app/binder/StoreFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

std::string NodePageFileName(uint32_t id) {
    return IntToHex(id, 1) + ".htm";
}

std::string NodePageFilePath(const std::string& root, const std::string& store, uint32_t id) {
    return JoinPath(NodeStoreFolder(root, store, id), NodePageFileName(id));
}

bool RemoveNodePageFile(const std::string& root, const std::string& store, uint32_t id) {
    return StoreAccess(root, store).RemoveNodeFile(id, NodePageFileName(id));
}

std::string WriteNodePageFile(const std::string& root, const std::string& store, uint32_t id,
                              const std::string& html, std::string* error) {
    std::string why;
    if (!root.empty() &&
        StoreAccess(root, store).WriteNodeFile(id, NodePageFileName(id), html, why)) {
        return NodePageFilePath(root, store, id);
    }
    if (error != nullptr) {
        *error = root.empty() ? "no binder is open" : why;
    }
    return {};
}
