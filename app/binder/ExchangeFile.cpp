#include "app/binder/ExchangeFile.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/StringMessage.h"
#include "app/binder/SubtreeWalk.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <string_view>
#include <vector>

namespace {

void AppendField(std::string& out, std::string_view bytes) {
    StringMessageI18N::AppendFieldHeader(out, bytes.size());
    out.append(bytes);
}

void AppendBlock(std::string& out, const TTreeNode& node) {
    std::unique_ptr<StringMessageI18N> block = SerializeSubtree(node);
    AppendField(out, std::string_view(block->GetBuffer(), static_cast<size_t>(block->GetLength())));
}

// Collects the stored files of the web pages met; a web page's own children are not walked.
std::function<bool(const TTreeNode&)> StoredFilesOf(const BinderPaths& paths, StrVector& names) {
    return [&paths, &names](const TTreeNode& node) {
        const TPageInfo* record = NodeRecord(&node);
        if (record == nullptr || record->Kind != NodeKind::WebPage) {
            return true;
        }
        StrVector files = ListNodeStoreFiles(*record, paths.BinderRoot, paths.BinderStore);
        names.insert(names.end(), files.begin(), files.end());
        return false;
    };
}

} // namespace

StrVector CollectSubtreeFiles(const TTreeNode* node, const BinderPaths& paths) {
    StrVector names;
    WalkSubtree(node, StoredFilesOf(paths, names));
    return names;
}

StrVector CollectBinderFiles(const TTreeNodes& tree, const BinderPaths& paths) {
    StrVector names;
    WalkTree(tree, StoredFilesOf(paths, names));
    return names;
}

void ResourceSection::Add(std::string name, std::unique_ptr<char[]> bytes, size_t size) {
    File file;
    StringMessageI18N::AppendFieldHeader(file.Header, name.size());
    file.Header += name;
    StringMessageI18N::AppendFieldHeader(file.Header, size);
    length_ += file.Header.size() + size;
    file.Bytes = std::move(bytes);
    file.Size = size;
    files_.push_back(std::move(file));
}

bool ResourceSection::WriteTo(const std::function<bool(const char*, size_t)>& write) const {
    for (const File& file : files_) {
        if (!write(file.Header.data(), file.Header.size()) || !write(file.Bytes.get(), file.Size)) {
            return false;
        }
    }
    return true;
}

ResourceSection PackResourceFiles(const TTreeNodes& tree, const TTreeNode* node,
                                  const BinderPaths& paths) {
    ResourceSection section;
    const StrVector names =
        node != nullptr ? CollectSubtreeFiles(node, paths) : CollectBinderFiles(tree, paths);
    const std::string store = JoinPath(paths.BinderRoot, paths.BinderStore);
    for (const std::string& name : names) {
        size_t size = 0;
        std::unique_ptr<char[]> bytes = ReadWholeFile(JoinPath(store, NativePath(name)), &size);
        if (bytes == nullptr) {
            ++section.Skipped;
            continue;
        }
        section.Add(name, std::move(bytes), size);
    }
    return section;
}

ExchangeWritten WriteExchangeFile(const TTreeNodes& tree, const TTreeNode* node,
                                  const BinderPaths& paths, const std::string& path) {
    ExchangeWritten written;
    try {
        std::string head;
        AppendField(head, ExchangeMarker);
        AppendField(head, ExchangeVersion);
        if (node != nullptr) {
            AppendBlock(head, *node);
        } else {
            for (int i = 0; i < tree.TopLevelCount(); ++i) {
                AppendBlock(head, *tree.TopLevelItem(i));
            }
        }
        AppendField(head, ExchangeTreeEnd);
        const ResourceSection section = PackResourceFiles(tree, node, paths);
        written.Skipped = section.Skipped;
        StringMessageI18N::AppendFieldHeader(head, section.Length());
        // The section, the biggest part by far, goes to the file straight from its buffers.
        written.Write = SaveStreamToFile(path, [&](AtomicFileWriter& writer, std::string&) {
            return writer.Write(head.data(), head.size()) &&
                   section.WriteTo([&writer](const char* data, size_t size) {
                       return writer.Write(data, size);
                   });
        });
    } catch (const Exception& error) {
        written.Write = {false, "can not write file " + path + " (" + error.what() + ")"};
    }
    return written;
}
