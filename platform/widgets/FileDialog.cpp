#include "platform/widgets/FileDialog.h"

#include "platform/base/QtText.h"
#include "platform/widgets/FileFilter.h"

#include <QFileDialog>

std::optional<FileDialogAnswer> RunFileDialog(QWidget* owner, const FileDialogRequest& request) {
    const QStringList filters =
        ToQ(ConvertFileFilter(request.Filter)).split(";;", Qt::SkipEmptyParts);
    QFileDialog dialog(owner, ToQ(request.Title), ToQ(request.InitialDir));
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    if (!request.DefaultExt.empty()) {
        dialog.setDefaultSuffix(ToQ(request.DefaultExt));
    }
    if (!request.FileName.empty()) {
        dialog.selectFile(ToQ(request.FileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return FileDialogAnswer{FromQ(dialog.selectedFiles().front()), index < 0 ? 1 : index + 1};
}
