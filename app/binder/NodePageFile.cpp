#include "app/binder/NodePageFile.h"

#include "app/binder/StoreFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <unistd.h>

std::string NodePageFilePath(const std::string& root, const std::string& store, uint32_t id) {
    return JoinPath(NodeStoreFolder(root, store, id), IntToHex(id, 1) + ".htm");
}

bool RemoveNodePageFile(const std::string& root, const std::string& store, uint32_t id) {
    const std::string path = NodePageFilePath(root, store, id);
    return !path.empty() && (::unlink(path.c_str()) == 0 || errno == ENOENT);
}

std::string WriteNodePageFile(const std::string& root, const std::string& store, uint32_t id,
                              const std::string& html, std::string* error) {
    const std::string folder = NodeStoreFolder(root, store, id);
    const std::string path = NodePageFilePath(root, store, id);
    std::string why;
    if (folder.empty() || !ForceDirectories(folder)) {
        why = "Cannot create the folder " + folder;
    } else if (WriteFileAtomic(path, html.data(), html.size(), why)) {
        return path;
    }
    if (error != nullptr) {
        *error = why;
    }
    return {};
}
