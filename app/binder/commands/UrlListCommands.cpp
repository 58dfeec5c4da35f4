#include "app/binder/commands/UrlListCommands.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/commands/ExportUi.h"
#include "app/binder/commands/ShownWrites.h"

void AskExportListFile(const StrVector& list, IExportUi& ui) {
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = UrlListFilter;
    options.ConfirmOverwrite = false;
    const std::optional<std::string> path = ui.SaveFileDialog(options);
    if (!path) {
        return;
    }
    ShowFailure(WriteUrlList(list, *path), ui);
}

void FileExportListExecute(ExportContext& context, IExportUi& ui) {
    AskExportListFile(DoFileExportList(context.Binder.Selected()), ui);
}

void FileExportListallExecute(ExportContext& context, IExportUi& ui) {
    AskExportListFile(DoFileExportListAll(context.Binder.Items()), ui);
}
