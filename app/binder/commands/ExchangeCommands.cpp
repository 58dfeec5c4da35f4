#include "app/binder/commands/ExchangeCommands.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ExchangeFile.h"
#include "app/binder/ExchangeImport.h"
#include "app/binder/ExportContext.h"
#include "app/binder/FileNames.h"
#include "app/binder/PageInfo.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/commands/ExportUi.h"
#include "app/binder/commands/HeldWaitForm.h"
#include "app/binder/commands/ShownWrites.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <optional>

namespace {

void ExportExchangeFile(ExportContext& context, IExportUi& ui, const TTreeNode* node) {
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = ExchangeFilter;
    options.ConfirmOverwrite = false;
    const std::optional<std::string> chosen = ui.SaveFileDialog(options);
    if (!chosen) {
        return;
    }
    const std::string& path = *chosen;
    if (PathExists(path) && ui.MessageBox("File Exist, Override?", "Confirm",
                                          TMsgButtons::OkCancel) != TModalResult::Ok) {
        return;
    }
    ExchangeWritten written;
    {
        const HeldWaitForm waiting(ui);
        ui.SetLastDialogDir(std::string(FolderOfPath(path)));
        written = WriteExchangeFile(context.Binder.Items(), node, context.Paths, path);
    }
    ShowFailure(written.Write, ui);
    if (written.Write && written.Skipped > 0) {
        ui.ShowMessage(
            Format("%zu stored file(s) could not be read and were left out", written.Skipped));
    }
}

} // namespace

void FileExportAllExecute(ExportContext& context, IExportUi& ui) {
    ExportExchangeFile(context, ui, nullptr);
}

void FileExportContentExecute(ExportContext& context, IExportUi& ui) {
    if (const TTreeNode* node = context.Binder.Selected()) {
        ExportExchangeFile(context, ui, node);
    }
}

void FileImportVelmorExecute(ExportContext& context, IExportUi& ui) {
    TTreeNode* target = context.Binder.Selected();
    if (target != nullptr && GetNodeKind(target) != NodeKind::Folder) {
        target = nullptr;
    }
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = ExchangeFilter;
    const std::optional<std::string> chosen = ui.OpenFileDialog(options);
    if (!chosen) {
        return;
    }
    ui.SetLastDialogDir(std::string(FolderOfPath(*chosen)));
    ExchangeImported imported;
    {
        std::optional<HeldWaitForm> waiting;
        ImportProgress progress;
        // Up, and drawn over a window drawn again, before a file of some hundred megabytes is
        // read; the file work runs beside the event loop, so the bar runs all the while.
        progress.Reading = [&] { waiting.emplace(ui); };
        progress.Aside = [&ui](const std::function<void()>& work) {
            RunBesideEventLoop(work);
            ui.UpdateStatusForm(); // the bar as it stands now, drawn
        };
        progress.Step = [&ui] { ui.UpdateStatusForm(); };
        imported = ImportExchangeFile(context, *chosen, target, progress);
    }
    if (!imported.Error.empty()) {
        ui.ShowMessage(imported.Error);
        return;
    }
    // The files are in the store: the tree file names their nodes at once, not at close.
    context.Binder.Save();
    if (imported.NonFolderRefused) {
        ui.MessageBox(NonFolderRefusal, "Sorry", TMsgButtons::Ok);
    }
}
