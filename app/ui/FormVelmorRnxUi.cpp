// The main window as the binder and capture code sees it (IBinderUi), its status bar writer
// and the wait form operations.
#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderLifecycle.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/PageInfo.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/MainCaptureNotifier.h"
#include "app/ui/Placeholders.h"
#include "platform/base/QtText.h"
#include "app/ui/StatusRules.h"
#include "app/ui/WaitForm.h"
#include "app/ui/dialogs/NewBinder.h"
#include "app/ui/dialogs/UnitLocation.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/Invoker.h"
#include "platform/base/StringUtils.h"
#include "platform/widgets/FileFilter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

std::optional<std::string> RunFileDialog(QWidget* owner, const TFileDialogOptions& options,
                                         QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, ToQ(options.Title), ToQ(options.InitialDir),
                       ToQ(ConvertFileFilter(options.Filter)));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!options.DefaultExt.empty()) {
        dialog.setDefaultSuffix(ToQ(options.DefaultExt));
    }
    if (!options.FileName.empty()) {
        dialog.selectFile(ToQ(options.FileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQ(dialog.selectedFiles().front());
}

} // namespace

// ---- status bar ---------------------------------------------------------------------------------

void TFormVelmorRnx::modifysb(int panel, const std::string& text, int progress) {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_MODIFYSB, panel, progress, text});
        return;
    }
    std::lock_guard<std::mutex> guard(statusLock_);
    if (panel < 0 || panel >= statusBar_->Panels().Count()) {
        return;
    }
    TMarkupStatusPanel& target = statusBar_->Panels()[panel];
    if (progress == -1) {
        target.SetStyle(TMarkupStatusPanelStyle::psHTML);
        target.SetText(text.empty() ? std::string(10, ' ') : text);
    } else {
        target.SetStyle(TMarkupStatusPanelStyle::psProgress);
        target.Progress().SetPosition(progress);
    }
    statusBar_->update();
}

void TFormVelmorRnx::ApplicationHint(const std::string& hint) {
    const std::string text = GetLongHint(hint);
    if (!text.empty()) {
        modifysb(HintPanel, text, -1);
    }
}

void TFormVelmorRnx::WebBrowserStatusTextChange(const std::string& text) {
    if (BrowserStatusShown(text)) {
        modifysb(HintPanel, text, -1);
    }
}

void TFormVelmorRnx::WebBrowserProgressChange(int progress, int maximum) {
    modifysb(ProgressPanel, "", BrowserProgressPosition(progress, maximum));
}

void TFormVelmorRnx::ShowCaretPosition(int line, int column) {
    modifysb(StatusPanel, CaretPositionText(line, column), -1);
}

// ---- the wait form ------------------------------------------------------------------------------

void TFormVelmorRnx::SetWaitForm(TForm4* form) {
    waitForm_ = form;
    notifier_->SetFormTarget(StatusForm::Wait, form);
}

void TFormVelmorRnx::SetLevelStatusForm(MessageTarget* form) {
    notifier_->SetFormTarget(StatusForm::Level, form);
}

void TFormVelmorRnx::OpenStatusForm(const std::string& text) {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_OPENSTATUSFORM, 0, 0, text});
        return;
    }
    if (LevelCaptureRunning || waitForm_ == nullptr) {
        return;
    }
    if (!waitForm_->isVisible()) {
        waitForm_->show();
    }
    waitForm_->setWindowTitle(ToQ(text));
    waitForm_->ProgressBar1->setValue(0);
    waitForm_->Timer1.SetEnabled(true);
}

void TFormVelmorRnx::UpdateStatusForm() {}

void TFormVelmorRnx::CloseStatusForm() {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_CLOSESTATUSFORM, 0, 0, {}});
        return;
    }
    if (LevelCaptureRunning || waitForm_ == nullptr) {
        return;
    }
    waitForm_->ProgressBar1->setValue(100);
    waitForm_->hide();
    waitForm_->Timer1.SetEnabled(false);
}

// ---- message boxes and dialogs ------------------------------------------------------------------

void TFormVelmorRnx::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, ToQ(text), QMessageBox::Ok, this);
    box.exec();
}

TModalResult TFormVelmorRnx::MessageBox(const std::string& text, const std::string& caption,
                                        TMsgButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::NoButton, this);
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
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return TModalResult::Ok;
    case QMessageBox::Retry:
        return TModalResult::Retry;
    default:
        return TModalResult::Cancel;
    }
}

bool TFormVelmorRnx::Confirm(const std::string& text, bool& askSetting) {
    TForm5 confirm(this, text, &askSetting);
    return confirm.ShowModal() == TModalResult::Ok;
}

std::optional<std::string> TFormVelmorRnx::OpenFileDialog(const TFileDialogOptions& options) {
    return RunFileDialog(this, options, QFileDialog::AcceptOpen);
}

std::optional<std::string> TFormVelmorRnx::SaveFileDialog(const TFileDialogOptions& options) {
    return RunFileDialog(this, options, QFileDialog::AcceptSave);
}

std::optional<std::string> TFormVelmorRnx::SelectDirectory(const std::string& prompt,
                                                           const std::string& startFolder,
                                                           bool allowCreate) {
    QFileDialog dialog(this, ToQ(prompt),
                       startFolder.empty() ? QDir::homePath() : ToQ(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::ReadOnly, !allowCreate);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQ(dialog.selectedFiles().front());
}

std::optional<TNewBinderChoice> TFormVelmorRnx::NewBinderDialog(const std::string& startFolder) {
    return ShowNewBinderDialog(this, startFolder);
}

std::unique_ptr<IAddItemDialog>
TFormVelmorRnx::CreateAddItemDialog(int mode, std::optional<uint32_t> folderId,
                                    const std::string& folderDump) {
    if (addHost_ == nullptr) {
        return nullptr;
    }
    return std::make_unique<TFormLoc>(this, *addHost_, mode, folderId, folderDump,
                                      addRunner_->Current());
}

// ---- caption, menus, commands and views ---------------------------------------------------------

void TFormVelmorRnx::SetCaption(const std::string& caption) {
    setWindowTitle(ToQ(caption));
}

void TFormVelmorRnx::SetRecentBinders(const std::vector<std::string>& paths) {
    recentMenu_->clear();
    for (const std::string& path : paths) {
        // A path is shown as it is: "&" in it is no hot key, so it is doubled.
        const std::string caption = ReplaceAll(path, "&", "&&");
        QAction* entry = recentMenu_->addAction(ToQ(caption));
        connect(entry, &QAction::triggered, this, [this, caption] {
            Guarded([&] {
                if (lifecycle_ != nullptr) {
                    lifecycle_->FileOpenRecentExecute(caption);
                }
                UpdateCommands();
            });
        });
    }
    recentMenu_->setEnabled(!paths.empty());
}

void TFormVelmorRnx::EnableCommand(TBinderCommand command, bool enabled) {
    static const std::map<TBinderCommand, TMainAction> actions = {
        {TBinderCommand::EditCut1, TMainAction::EditCut1},
        {TBinderCommand::EditCopy1, TMainAction::EditCopy1},
        {TBinderCommand::EditPaste1, TMainAction::EditPaste1},
        {TBinderCommand::EditDelete1, TMainAction::EditDelete1},
        {TBinderCommand::ToolButton11, TMainAction::ToolButton11},
    };
    Action(actions.at(command))->setEnabled(enabled);
}

void TFormVelmorRnx::ResetViews() {
    // A new tree: the node shown and the node being edited belong to the old one.
    ForgetShownNode();
    Action(TMainAction::ToolCapture)->setEnabled(false);
    Action(TMainAction::ToolButton13)->setEnabled(false);
}

void TFormVelmorRnx::RestoreAndBringToFront() {
    Restore();
    BringToFront();
}

void TFormVelmorRnx::SetTopPanel(int index) {
    // The side bar has three panels; other indexes are ignored.
    if (index >= 0 && index <= BinderListPanel) {
        topPanel_ = index;
    }
}

void TFormVelmorRnx::ShelfBar1PanelOpen(int) {
    // The side bar's panels are not built yet: there is nothing to fill.
}

// ---- requests of other programs -----------------------------------------------------------------

void TFormVelmorRnx::AddNode(const std::string& url, const std::string& info,
                             const std::string& html, int treeMode, int dialogMode) {
    const TInsertMode mode = treeMode == 1 ? TInsertMode::Sibling : TInsertMode::Child;
    RunAddRequest({url, info, html, dialogMode, mode});
}

void TFormVelmorRnx::RunAddRequest(const TAddItemRequest& request) {
    if (addRunner_ != nullptr) {
        addRunner_->Run(request);
    } else {
        binder_->AddNode(request.Url, request.Info, request.Html, request.TreeMode,
                         request.DialogMode);
        UpdateCommands();
    }
}

void TFormVelmorRnx::OpenBinder(const std::string& path) {
    if (lifecycle_ != nullptr) {
        lifecycle_->OpenBinder(path);
    }
    UpdateCommands();
}

bool TFormVelmorRnx::ModalDialogOpen() const {
    return QApplication::activeModalWidget() != nullptr;
}
