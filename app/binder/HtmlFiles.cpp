#include "app/binder/HtmlFiles.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/ExportContext.h"
#include "app/binder/ExportUi.h"
#include "app/binder/FileNames.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreFiles.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// Copies the record's stored files into `folder`, each under its path inside the node folder;
// with `skipPageCopy` the node folder's own page file stays behind. A file that cannot be read
// is skipped. False when any write failed.
bool CopyStoredFiles(const TPageInfo& record, const std::string& root, const std::string& store,
                     const std::string& folder, bool skipPageCopy, const MessageSink& show) {
    const std::string storeFolder = JoinPath(root, store);
    const std::string pageCopy = IntToHex(record.Id, 1) + ".htm";
    bool written = true;
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
        written = SaveBufferToFile(JoinPath(folder, NativePath(name.substr(separator + 1))),
                                   bytes.get(), size, show) &&
                  written;
    }
    return written;
}

MessageSink Shown(IExportUi& ui) {
    return [&ui](const std::string& text) { ui.ShowMessage(text); };
}

bool FileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The folder a folder dialog starts in: the last one used, else the home folder.
std::string StartFolder(const IExportUi& ui) {
    std::string folder = ui.LastDialogDir();
    if (folder.empty()) {
        const char* home = std::getenv("HOME");
        folder = home != nullptr ? home : "/";
    }
    return folder;
}

int DecimalDigits(int n) {
    int digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

void SaveFolderTrees(ExportContext& context, const std::vector<const TTreeNode*>& nodes) {
    IExportUi& ui = context.Ui;
    const std::optional<std::string> folder =
        ui.SelectDirectory("Select Directory", StartFolder(ui), true);
    if (!folder) {
        return;
    }
    HtmlSaveState state;
    for (const TTreeNode* node : nodes) {
        SaveTreeToFolder(context, state, node, *folder);
        ++state.SaveIndex;
    }
}

} // namespace

bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui) {
    const MessageSink show = [&ui](const std::string& text) { ui.ShowMessage(text); };
    std::string error;
    const bool written =
        !WriteNodePageFile(root, store, copyId, record.Content.PageHtml, &error).empty();
    if (!written) {
        show(error);
    }
    const std::string folder = NodeStoreFolder(root, store, copyId);
    // The copy has its own page file; the copied page's, under that page's id, would travel on
    // with the copy as a stray resource of every later save and export.
    return !folder.empty() && CopyStoredFiles(record, root, store, folder, true, show) && written;
}

bool SavePageToFolder(ExportContext& context, const TTreeNode* node, const std::string& path,
                      const PageTextFilter& filter, bool& askOverwrite) {
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr || record->Kind != NodeKind::WebPage) {
        return true;
    }
    IExportUi& ui = context.Ui;
    const std::string folder(FolderOfPath(path));
    std::string name(NameOfPath(path));
    std::erase_if(name, [](char c) { return c == ' ' || c == '\0'; });
    const std::string target = JoinPath(folder, name);
    ui.SetLastDialogDir(folder);
    const std::string page = filter ? filter(record->Content.PageHtml) : record->Content.PageHtml;
    if (FileExists(target) && askOverwrite &&
        !ui.Confirm("File " + name + " exists, Overide it? ", askOverwrite)) {
        return true;
    }
    if (!SaveBufferToFile(target, page.data(), page.size(), Shown(ui))) {
        return false;
    }
    ui.OpenWaitForm("", false);
    CopyStoredFiles(*record, context.Paths.BinderRoot, context.Paths.BinderStore, folder, true,
                    Shown(ui));
    ui.CloseStatusForm();
    return true;
}

void SaveTreeToFolder(ExportContext& context, HtmlSaveState& state, const TTreeNode* node,
                      const std::string& folder) {
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return;
    }
    const int saved = state.SaveIndex;
    const int siblings = node->Parent() != nullptr ? node->Parent()->Count()
                                                   : context.Binder.Items().TopLevelCount();
    const std::string entry =
        CleanFileName(Format("%*d--%s", DecimalDigits(std::max(siblings, 1)), state.SaveIndex,
                             (record->Title + ".htm").c_str()));
    if (record->Kind == NodeKind::WebPage) {
        SavePageToFolder(context, node, JoinPath(folder, entry), nullptr, state.AskOverwrite);
    } else if (node->HasChildren()) {
        const std::string sub = JoinPath(folder, TitleEntryName(record->Title));
        state.SaveIndex = 0;
        for (int i = 0; i < node->Count(); ++i) {
            SaveTreeToFolder(context, state, node->Item(i), sub);
            ++state.SaveIndex;
            context.Ui.UpdateStatusForm();
        }
    }
    state.SaveIndex = saved;
}

void SavePageAsHtml(ExportContext& context) {
    const TTreeNode* node = context.Binder.Selected();
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr || record->Kind != NodeKind::WebPage) {
        return;
    }
    IExportUi& ui = context.Ui;
    std::string proposed(NameOfPath(record->Title));
    if (proposed.find(".htm") == std::string::npos) {
        proposed += ".htm";
    }
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = HtmlSaveFilter;
    options.FileName = CleanFileName(proposed);
    options.DefaultExt = "htm";
    const std::string& page = record->Content.PageHtml;
    std::string path;
    while (true) {
        const std::optional<std::string> chosen = ui.SaveFileDialog(options);
        if (!chosen) {
            return;
        }
        path = *chosen;
        ui.SetLastDialogDir(std::string(FolderOfPath(path)));
        if (FileExists(path) && ui.MessageBox("File Exist, Override?", "Confirm",
                                              TMsgButtons::OkCancel) != TModalResult::Ok) {
            return;
        }
        if (SaveBufferToFile(path, page.data(), page.size(), [](const std::string&) {})) {
            break;
        }
        if (ui.MessageBox("File name invalid, retry? ", "Warning", TMsgButtons::OkCancel) !=
            TModalResult::Ok) {
            return;
        }
    }
    ui.OpenWaitForm("", false);
    CopyStoredFiles(*record, context.Paths.BinderRoot, context.Paths.BinderStore,
                    std::string(FolderOfPath(path)), true, Shown(ui));
    ui.CloseStatusForm();
}

void FileSaveHtmlExecute(ExportContext& context) {
    const TTreeNode* node = context.Binder.Selected();
    switch (GetNodeKind(node)) {
    case NodeKind::WebPage:
        SavePageAsHtml(context);
        break;
    case NodeKind::Folder:
        SaveFolderTrees(context, {node});
        break;
    default:
        break;
    }
}

void FileSaveHtmlAllExecute(ExportContext& context) {
    std::vector<const TTreeNode*> nodes;
    const TTreeNodes& tree = context.Binder.Items();
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        nodes.push_back(tree.TopLevelItem(i));
    }
    SaveFolderTrees(context, nodes);
}

void FileImportHtmlExecute(ExportContext& context) {
    IExportUi& ui = context.Ui;
    const std::optional<std::string> folder = ui.SelectDirectory("", StartFolder(ui), false);
    if (!folder) {
        return;
    }
    StrVector found;
    const std::vector<std::string> filter{"htm", "html", "shtml"};
    FindFilesRecursive(found, *folder, "", &filter, context.Settings.RecursiveImport);
    TBinderTree& binder = context.Binder;
    ui.OpenWaitForm(HtmlImportWait, false);
    TTreeNode* parent = binder.Selected();
    TInsertMode mode = TInsertMode::Child;
    for (const std::string& name : found) {
        // The walk names files "\sub\file" below the folder it was given.
        const std::string path = JoinPath(*folder, NativePath(name.substr(1)));
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
        const bool captured = text != nullptr && context.Capture.CapturePageNow(added);
        added.State = captured ? CaptureState::Completed : CaptureState::Failed;
        added.Content.Stats.State = static_cast<int32_t>(added.State);
        added.Reload = 1;
        added.Progress.StatusText = captured ? "Download Finished" : "Capture Failed";
        ui.UpdateStatusForm();
    }
    ui.CloseStatusForm();
    binder.BinderDirty = true;
    binder.Save();
    // The views show the pages added, as for any other change of the tree.
    binder.Items().DataChanged(binder.Selected());
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
