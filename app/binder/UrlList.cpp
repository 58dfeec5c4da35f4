#include "app/binder/UrlList.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/ExportUi.h"
#include "app/binder/PageInfo.h"
#include "app/binder/WholeFiles.h"

#include <vector>

StrVector DoFileExportList(const TTreeNode* node) {
    StrVector urls;
    std::vector<const TTreeNode*> pending;
    if (node != nullptr) {
        pending.push_back(node);
    }
    while (!pending.empty()) {
        const TTreeNode* current = pending.back();
        pending.pop_back();
        const NodeKind kind = GetNodeKind(current);
        if (kind == NodeKind::WebPage || kind == NodeKind::Link) {
            urls.push_back(NodeRecord(current)->RequestedUrl);
            continue;
        }
        for (int i = current->Count() - 1; i >= 0; --i) {
            pending.push_back(current->Item(i));
        }
    }
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
    const TTreeNodes& tree = context.Binder.Items();
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        StrVector more = DoFileExportList(tree.TopLevelItem(i));
        urls.insert(urls.end(), more.begin(), more.end());
    }
    AskExportListFile(urls, context.Ui);
}
