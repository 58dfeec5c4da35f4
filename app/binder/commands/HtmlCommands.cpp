#include "app/binder/commands/HtmlCommands.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/ExportContext.h"
#include "app/binder/FileNames.h"
#include "app/binder/PageInfo.h"
#include "app/binder/commands/ExportUi.h"
#include "app/binder/commands/HeldWaitForm.h"
#include "app/binder/commands/ShownWrites.h"
#include "platform/base/Files.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The folder a folder dialog starts in: the last one used, else the home folder.
std::string StartFolder(const IExportUi& ui) {
    std::string folder = ui.LastDialogDir();
    if (folder.empty()) {
        const char* home = std::getenv("HOME");
        folder = home != nullptr ? home : "/";
    }
    return folder;
}

// The page's resources beside the file written, under the wait form.
void CopyResourcesBeside(ExportContext& context, IExportUi& ui, const TPageInfo& record,
                         const std::string& folder) {
    const HeldWaitForm waiting(ui);
    ShowFailures(CopyPageResources(record, context.Paths, folder), ui);
}

void SaveFolderTrees(ExportContext& context, IExportUi& ui,
                     const std::vector<const TTreeNode*>& nodes) {
    const std::optional<std::string> folder =
        ui.SelectDirectory("Select Directory", StartFolder(ui), true);
    if (!folder) {
        return;
    }
    HtmlSaveState state;
    for (const TTreeNode* node : nodes) {
        SaveTreeToFolder(context, ui, state, node, *folder);
        ++state.SaveIndex;
    }
}

} // namespace

bool SavePageToFolder(ExportContext& context, IExportUi& ui, const TTreeNode* node,
                      const std::string& path, const PageTextFilter& filter, bool& askOverwrite) {
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr || record->Kind != NodeKind::WebPage) {
        return true;
    }
    const std::string folder(FolderOfPath(path));
    std::string name(NameOfPath(path));
    std::erase_if(name, [](char c) { return c == ' ' || c == '\0'; });
    const std::string target = JoinPath(folder, name);
    ui.SetLastDialogDir(folder);
    if (PathExists(target) && askOverwrite &&
        !ui.Confirm("File " + name + " exists, Overide it? ", askOverwrite)) {
        return true;
    }
    if (!ShowFailure(WritePageText(*record, target, filter), ui)) {
        return false;
    }
    CopyResourcesBeside(context, ui, *record, folder);
    return true;
}

void SaveTreeToFolder(ExportContext& context, IExportUi& ui, HtmlSaveState& state,
                      const TTreeNode* node, const std::string& folder) {
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return;
    }
    const int saved = state.SaveIndex;
    const int siblings = node->Parent() != nullptr ? node->Parent()->Count()
                                                   : context.Binder.Items().TopLevelCount();
    const std::string entry = FolderSaveEntryName(siblings, state.SaveIndex, record->Title);
    if (record->Kind == NodeKind::WebPage) {
        SavePageToFolder(context, ui, node, JoinPath(folder, entry), nullptr, state.AskOverwrite);
    } else if (node->HasChildren()) {
        const std::string sub = JoinPath(folder, TitleEntryName(record->Title));
        state.SaveIndex = 0;
        for (int i = 0; i < node->Count(); ++i) {
            SaveTreeToFolder(context, ui, state, node->Item(i), sub);
            ++state.SaveIndex;
            ui.UpdateStatusForm();
        }
    }
    state.SaveIndex = saved;
}

void SavePageAsHtml(ExportContext& context, IExportUi& ui) {
    const TTreeNode* node = context.Binder.Selected();
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr || record->Kind != NodeKind::WebPage) {
        return;
    }
    std::string proposed(NameOfPath(record->Title));
    if (proposed.find(".htm") == std::string::npos) {
        proposed += ".htm";
    }
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = HtmlSaveFilter;
    options.ConfirmOverwrite = false;
    options.FileName = CleanFileName(proposed);
    options.DefaultExt = "htm";
    std::string path;
    while (true) {
        const std::optional<std::string> chosen = ui.SaveFileDialog(options);
        if (!chosen) {
            return;
        }
        path = *chosen;
        ui.SetLastDialogDir(std::string(FolderOfPath(path)));
        if (PathExists(path) && ui.MessageBox("File Exist, Override?", "Confirm",
                                              TMsgButtons::OkCancel) != TModalResult::Ok) {
            return;
        }
        // A name the disk refuses is asked again, not shown.
        if (WritePageText(*record, path, nullptr)) {
            break;
        }
        if (ui.MessageBox("File name invalid, retry? ", "Warning", TMsgButtons::OkCancel) !=
            TModalResult::Ok) {
            return;
        }
    }
    CopyResourcesBeside(context, ui, *record, std::string(FolderOfPath(path)));
}

void FileSaveHtmlExecute(ExportContext& context, IExportUi& ui) {
    const TTreeNode* node = context.Binder.Selected();
    switch (GetNodeKind(node)) {
    case NodeKind::WebPage:
        SavePageAsHtml(context, ui);
        break;
    case NodeKind::Folder:
        SaveFolderTrees(context, ui, {node});
        break;
    default:
        break;
    }
}

void FileSaveHtmlAllExecute(ExportContext& context, IExportUi& ui) {
    std::vector<const TTreeNode*> nodes;
    const TTreeNodes& tree = context.Binder.Items();
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        nodes.push_back(tree.TopLevelItem(i));
    }
    SaveFolderTrees(context, ui, nodes);
}

void FileImportHtmlExecute(ExportContext& context, IExportUi& ui) {
    // The import serves events while its pages are captured: whatever reaches the command
    // meanwhile must not start the same files again inside it.
    static bool importing = false;
    if (importing) {
        return;
    }
    const std::optional<std::string> folder = ui.SelectDirectory("", StartFolder(ui), false);
    if (!folder) {
        return;
    }
    {
        importing = true;
        const struct Importing {
            ~Importing() { importing = false; }
        } running;
        // Outlives the form, whose Cancel reaches it until the form closes.
        HtmlImportStop stop(context.Capture);
        const HeldWaitForm waiting(ui, HtmlImportWait, true);
        ui.WhenWaitFormCancelled([&stop] { stop.Stop(); });
        AddHtmlFilePages(
            context, *folder, [&ui] { ui.UpdateStatusForm(); }, stop);
    }
    context.Capture.ImportEnded();
    TBinderTree& binder = context.Binder;
    binder.BinderDirty = true;
    binder.Save();
    // The views show the pages added, as for any other change of the tree.
    binder.Items().DataChanged(binder.Selected());
}
