#include "app/binder/UrlList.h"

#include "app/binder/PageInfo.h"
#include "app/binder/SubtreeWalk.h"

#include <functional>

namespace {

// Collects the URLs of the web pages and links met; their children are not visited.
std::function<bool(const TTreeNode&)> UrlsOf(StrVector& urls) {
    return [&urls](const TTreeNode& node) {
        const NodeKind kind = GetNodeKind(&node);
        if (kind != NodeKind::WebPage && kind != NodeKind::Link) {
            return true;
        }
        urls.push_back(NodeRecord(&node)->RequestedUrl);
        return false;
    };
}

} // namespace

StrVector DoFileExportList(const TTreeNode* node) {
    StrVector urls;
    WalkSubtree(node, UrlsOf(urls));
    return urls;
}

StrVector DoFileExportListAll(const TTreeNodes& tree) {
    StrVector urls;
    WalkTree(tree, UrlsOf(urls));
    return urls;
}

WriteResult WriteUrlList(const StrVector& list, const std::string& path) {
    std::string text;
    for (const std::string& url : list) {
        text += url + "\r\n";
    }
    return SaveBufferToFile(path, text.data(), text.size());
}
