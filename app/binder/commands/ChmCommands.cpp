#include "app/binder/commands/ChmCommands.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/TemporaryFolder.h"
#include "app/binder/commands/ChmCompileJob.h"
#include "app/binder/commands/ExportUi.h"
#include "app/binder/commands/HeldWaitForm.h"
#include "app/binder/commands/ShownWrites.h"
#include "platform/base/Files.h"

#include <filesystem>

bool BuildChmProject(ExportContext& context, IExportUi& ui, const TTreeNode* firstTopNode,
                     const std::string& workFolder, const std::string& localeText,
                     bool fullTextSearch, const ChmCompileCap& cap) {
    ChmProject project;
    {
        // The pages' resources are copied under the wait form.
        const HeldWaitForm waiting(ui);
        project = WriteChmProject(context, firstTopNode, workFolder, localeText, fullTextSearch);
    }
    for (const std::string& error : project.Errors) {
        ui.ShowMessage(error);
    }
    if (!project.Written) {
        return false;
    }
    std::unique_ptr<RunningProgram> compiler = ui.StartChmCompiler(project.ProjectFile);
    if (compiler == nullptr) {
        return false;
    }
    const std::chrono::milliseconds limit =
        cap.Base + cap.PerPage * static_cast<int64_t>(project.Pages);
    return RunChmCompileJob(ui, ChmCompilingText, std::move(compiler), limit) ==
               ChmJobEnd::Compiled &&
           ChmHoldsEntries(workFolder, project);
}

void FileExportCHMExecute(ExportContext& context, IExportUi& ui, const ChmCompileCap& cap) {
    const std::optional<TChmChoice> choice = ui.ChmDialog();
    if (!choice) {
        return;
    }
    const std::optional<std::string> destination = ChmDestination(choice->Destination);
    if (!destination) {
        ui.ShowMessage("Illegal file name");
        return;
    }
    if (PathExists(*destination) && !choice->OverwriteExisting) {
        ui.ShowMessage("Destination File" + *destination + " Already Exists");
        return;
    }
    std::error_code error;
    const TemporaryFolder work(
        JoinPath(std::filesystem::temp_directory_path(error).string(), "~tqzworktmp-XXXXXX"));
    bool built = !work.Path().empty() &&
                 BuildChmProject(context, ui, context.Binder.Items().GetFirstNode(), work.Path(),
                                 choice->LocaleText, choice->FullTextSearch, cap);
    if (built) {
        built = ShowFailure(CopyChmResult(work.Path(), *destination), ui);
    }
    if (!built) {
        ui.ShowMessage(ChmFailedText);
        return;
    }
    if (choice->LaunchWhenDone) {
        ui.ShellOpen(*destination);
    }
}
