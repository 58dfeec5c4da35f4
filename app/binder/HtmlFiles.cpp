#include "app/binder/HtmlFiles.h"

#include "app/binder/PageInfo.h"
#include "app/binder/StoreFiles.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"

bool CopyNodeFiles(const TPageInfo& record, const std::string& root, const std::string& store,
                   const std::string& path, IUserMessages& ui) {
    const std::string& page = record.Content.PageHtml;
    bool written = SaveBufferToFile(path, page.data(), page.size(), ui);
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string storeFolder = JoinPath(root, store);
    for (const std::string& name : ListNodeStoreFiles(record, root, store)) {
        // "<HEX>\sub\file": the part after the node folder's name is the path inside it.
        const size_t separator = name.find('\\');
        if (separator == std::string::npos) {
            continue;
        }
        size_t size = 0;
        std::unique_ptr<char[]> bytes =
            ReadWholeFile(JoinPath(storeFolder, NativePath(name)), &size);
        if (bytes == nullptr) {
            continue;
        }
        written = SaveBufferToFile(JoinPath(folder, NativePath(name.substr(separator + 1))),
                                   bytes.get(), size, ui) &&
                  written;
    }
    return written;
}
