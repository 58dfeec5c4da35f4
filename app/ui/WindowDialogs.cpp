#include "app/ui/WindowDialogs.h"

#include "app/binder/WindowTexts.h"
#include "app/ui/AddRequests.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/dialogs/AskFile.h"
#include "app/ui/dialogs/NewBinder.h"
#include "app/ui/dialogs/UnitLocation.h"
#include "platform/base/QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

// ---- messages -----------------------------------------------------------------------------------

void TWindowDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, ToQ(text), QMessageBox::Ok, &owner_);
    box.exec();
}

TModalResult TWindowDialogs::MessageBox(const std::string& text, const std::string& caption,
                                        TMsgButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::NoButton, &owner_);
    switch (buttons) {
    case TMsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TMsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case TMsgButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    case TMsgButtons::YesNo:
        // Enter and Escape both answer No: only a click or a deliberate key says Yes.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return TModalResult::Ok;
    case QMessageBox::Retry:
        return TModalResult::Retry;
    case QMessageBox::Yes:
        return TModalResult::Yes;
    case QMessageBox::No:
        return TModalResult::No;
    default:
        return buttons == TMsgButtons::YesNo ? TModalResult::No : TModalResult::Cancel;
    }
}

bool TWindowDialogs::Confirm(const std::string& text, bool& askSetting) {
    TForm5 confirm(&owner_, text, &askSetting);
    return confirm.ShowModal() == TModalResult::Ok;
}

// ---- dialogs ------------------------------------------------------------------------------------

std::optional<std::string> TWindowDialogs::OpenFileDialog(const TFileDialogOptions& options) {
    return AskFile(&owner_, options, false);
}

std::optional<std::string> TWindowDialogs::SaveFileDialog(const TFileDialogOptions& options) {
    return AskFile(&owner_, options, true);
}

std::optional<std::string> TWindowDialogs::SelectDirectory(const std::string& prompt,
                                                           const std::string& startFolder,
                                                           bool allowCreate) {
    QFileDialog dialog(&owner_, ToQ(prompt),
                       startFolder.empty() ? QDir::homePath() : ToQ(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::ReadOnly, !allowCreate);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQ(dialog.selectedFiles().front());
}

std::optional<TNewBinderChoice> TWindowDialogs::NewBinderDialog(const std::string& startFolder) {
    return ShowNewBinderDialog(&owner_, startFolder);
}

std::unique_ptr<IAddItemDialog>
TWindowDialogs::CreateAddItemDialog(int mode, std::optional<uint32_t> folderId,
                                    const std::string& folderDump) {
    IAddItemHost* host = addRequests_.Host();
    if (host == nullptr) {
        return nullptr;
    }
    return std::make_unique<TFormLoc>(&owner_, *host, mode, folderId, folderDump,
                                      addRequests_.Current());
}
