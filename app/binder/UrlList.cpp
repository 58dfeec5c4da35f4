#include "app/binder/UrlList.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/ExportUi.h"
#include "app/binder/PageInfo.h"
#include "app/binder/SubtreeWalk.h"
#include "app/binder/WholeFiles.h"

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

void AskExportListFile(const StrVector& list, IExportUi& ui) {
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = UrlListFilter;
    const std::optional<std::string> path = ui.SaveFileDialog(options);
    if (!path) {
        return;
    }
    std::string text;
    for (const std::string& url : list) {
        text += url + "\r\n";
    }
    SaveBufferToFile(*path, text.data(), text.size(),
                     [&ui](const std::string& message) { ui.ShowMessage(message); });
}

void FileExportListExecute(ExportContext& context) {
    AskExportListFile(DoFileExportList(context.Binder.Selected()), context.Ui);
}

void FileExportListallExecute(ExportContext& context) {
    StrVector urls;
    WalkTree(context.Binder.Items(), UrlsOf(urls));
    AskExportListFile(urls, context.Ui);
}
