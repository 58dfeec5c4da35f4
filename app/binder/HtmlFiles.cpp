#include "app/binder/HtmlFiles.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/ExportContext.h"
#include "app/binder/FileNames.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <algorithm>

namespace {

// Hands each of the record's stored files, read whole, to `write` with its path inside the node
// folder ("/"-separated); with `skipPageCopy` the node folder's own page file stays behind. A
// file that cannot be read is skipped.
FilesWritten ForEachStoredFile(
    const TPageInfo& record, const std::string& root, const std::string& store, bool skipPageCopy,
    const std::function<WriteResult(const std::string& relative, std::string_view bytes)>& write) {
    const std::string storeFolder = JoinPath(root, store);
    const std::string pageCopy = IntToHex(record.Id, 1) + ".htm";
    FilesWritten written;
    for (const std::string& name : ListNodeStoreFiles(record, root, store)) {
        // "<HEX>\sub\file": the part after the node folder's name is the path inside it.
        const size_t separator = name.find('\\');
        if (separator == std::string::npos ||
            (skipPageCopy && name.find(pageCopy) != std::string::npos)) {
            continue;
        }
        size_t size = 0;
        std::unique_ptr<char[]> bytes =
            ReadWholeFile(JoinPath(storeFolder, NativePath(name)), &size);
        if (bytes == nullptr) {
            continue;
        }
        written.Add(
            write(NativePath(name.substr(separator + 1)), std::string_view(bytes.get(), size)));
    }
    return written;
}

int DecimalDigits(int n) {
    int digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

} // namespace

FilesWritten CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                           const std::string& store) {
    FilesWritten written;
    std::string error;
    if (WriteNodePageFile(root, store, copyId, record.Content.PageHtml, &error).empty()) {
        written.Add({false, error});
    }
    // The copy's folder is its own, made and marked as any node's; the copied page's page file,
    // under that page's id, would travel on with the copy as a stray resource of every later
    // save and export.
    const StoreAccess access(root, store);
    const FilesWritten files = ForEachStoredFile(
        record, root, store, true, [&](const std::string& relative, std::string_view bytes) {
            std::string why;
            return WriteResult{access.WriteNodeFile(copyId, relative, bytes, why), why};
        });
    written.Written = written.Written && files.Written;
    written.Errors.insert(written.Errors.end(), files.Errors.begin(), files.Errors.end());
    return written;
}

WriteResult WritePageText(const TPageInfo& record, const std::string& path,
                          const PageTextFilter& filter) {
    const std::string page = filter ? filter(record.Content.PageHtml) : record.Content.PageHtml;
    return SaveBufferToFile(path, page.data(), page.size());
}

FilesWritten CopyPageResources(const TPageInfo& record, const BinderPaths& paths,
                               const std::string& folder) {
    return ForEachStoredFile(record, paths.BinderRoot, paths.BinderStore, true,
                             [&](const std::string& relative, std::string_view bytes) {
                                 return SaveBufferToFile(JoinPath(folder, relative), bytes.data(),
                                                         bytes.size());
                             });
}

std::string FolderSaveEntryName(int siblings, int index, const std::string& title) {
    return CleanFileName(
        Format("%*d--%s", DecimalDigits(std::max(siblings, 1)), index, (title + ".htm").c_str()));
}

void HtmlImportStop::Stop() {
    stopped_ = true;
    if (capturing_ != nullptr) {
        capture_.StopCapture(*capturing_);
    }
}

void AddHtmlFilePages(ExportContext& context, const std::string& folder,
                      const std::function<void()>& step, HtmlImportStop& stop) {
    StrVector found;
    const std::vector<std::string> filter{"htm", "html", "shtml"};
    FindFilesRecursive(found, folder, "", &filter, context.Settings.RecursiveImport);
    TBinderTree& binder = context.Binder;
    TTreeNode* parent = binder.Selected();
    TInsertMode mode = TInsertMode::Child;
    // The views hear of the pages once, when all are in, not of each page selected in turn.
    TTreeUpdate update(binder.Items());
    for (const std::string& name : found) {
        if (stop.Stopped()) {
            break;
        }
        // The walk names files "\sub\file" below the folder it was given.
        const std::string path = JoinPath(folder, NativePath(name.substr(1)));
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::WebPage;
        record->Title = std::string(NameOfPath(path));
        record->RequestedUrl = "file://" + path;
        record->FinalUrl = record->RequestedUrl;
        size_t size = 0;
        const std::unique_ptr<char[]> text = ReadWholeFile(path, &size);
        if (text != nullptr && size > 0) {
            record->Content.FetchedText.assign(text.get(), size);
        }
        binder.Items().SetSelected(parent);
        TTreeNode* node = binder.CreateNode(NodeKind::WebPage, mode, false, std::move(record));
        if (node == nullptr) {
            break;
        }
        parent = node;
        mode = TInsertMode::Sibling;
        TPageInfo& added = *NodeRecord(node);
        stop.Capturing(&added);
        const bool captured = text != nullptr && context.Capture.CapturePageNow(added);
        stop.Capturing(nullptr);
        if (stop.Stopped()) {
            break; // its capture was stopped, and ended as a stopped capture does
        }
        added.State = captured ? CaptureState::Completed : CaptureState::Failed;
        added.Content.Stats.State = static_cast<int32_t>(added.State);
        added.Reload = 1;
        added.Progress.StatusText = captured ? "Download Finished" : "Capture Failed";
        if (step) {
            step();
        }
    }
}

void ToolSyncContentExecute(ExportContext& context) {
    const TPageInfo* record = NodeRecord(context.Binder.Selected());
    if (record == nullptr || record->Kind != NodeKind::WebPage) {
        return;
    }
    RemoveNodePageFile(context.Paths.BinderRoot, context.Paths.BinderStore, record->Id);
    CaptureOptions options;
    options.KeepWaitFormHidden = true;
    context.Binder.CaptureSelectedNode(false, options);
}
