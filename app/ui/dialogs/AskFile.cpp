#include "app/ui/dialogs/AskFile.h"

#include "platform/widgets/FileDialog.h"

std::optional<std::string> AskFile(QWidget* owner, const TFileDialogOptions& options, bool save) {
    FileDialogRequest request;
    request.Title = options.Title;
    request.InitialDir = options.InitialDir;
    request.Filter = options.Filter;
    request.FileName = options.FileName;
    request.DefaultExt = options.DefaultExt;
    request.Save = save;
    request.ConfirmOverwrite = options.ConfirmOverwrite;
    const std::optional<FileDialogAnswer> answer = RunFileDialog(owner, request);
    if (!answer) {
        return std::nullopt;
    }
    return answer->Path;
}
