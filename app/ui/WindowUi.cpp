#include "app/ui/WindowUi.h"

#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/MainActions.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/TreePane.h"
#include "app/ui/WaitForm.h"
#include "app/ui/dialogs/NewBinder.h"
#include "app/ui/dialogs/SaveCHM.h"
#include "app/ui/dialogs/UnitLocation.h"
#include "app/ui/dialogs/WindowAddItemHost.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"
#include "platform/base/QtText.h"
#include "platform/shell/ChmCompiler.h"
#include "platform/shell/ShellOpen.h"
#include "platform/widgets/FileFilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>

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

TWindowUi::TWindowUi(TFormVelmorRnx& window) : window_(window) {}

TWindowUi::~TWindowUi() = default;

void TWindowUi::SetLevelStatusForm(MessageTarget* form) {
    levelForm_ = form;
}

void TWindowUi::SetLifecycle(IBinderLifecycle* lifecycle, TBinderTreeCommands& binder,
                             const BinderPaths& paths, ISettingsStore& store,
                             std::function<void()> added) {
    binder_ = &binder;
    added_ = std::move(added);
    addHost_.reset();
    addRunner_.reset();
    if (lifecycle == nullptr) {
        return;
    }
    addRunner_ =
        std::make_unique<TAddRequestRunner>(*lifecycle, [this](const TAddItemRequest& request) {
            binder_->AddNode(request.Url, request.Info, request.Html, request.TreeMode,
                             request.DialogMode);
            if (added_) {
                added_();
            }
        });
    addHost_ = std::make_unique<TWindowAddItemHost>(*this, paths, store, binder.Tree().Items(),
                                                    *addRunner_, [this] { return lastDialogDir_; });
}

void TWindowUi::RunAddRequest(const TAddItemRequest& request) {
    if (addRunner_ != nullptr) {
        addRunner_->Run(request);
    } else if (binder_ != nullptr) {
        binder_->AddNode(request.Url, request.Info, request.Html, request.TreeMode,
                         request.DialogMode);
        if (added_) {
            added_();
        }
    }
}

// ---- messages and the wait form -----------------------------------------------------------------

void TWindowUi::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, ToQ(text), QMessageBox::Ok, &window_);
    box.exec();
}

TModalResult TWindowUi::MessageBox(const std::string& text, const std::string& caption,
                                   TMsgButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::NoButton, &window_);
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

bool TWindowUi::Confirm(const std::string& text, bool& askSetting) {
    TForm5 confirm(&window_, text, &askSetting);
    return confirm.ShowModal() == TModalResult::Ok;
}

void TWindowUi::OpenStatusForm(const std::string& text) {
    status_.OpenStatusForm(text);
}

void TWindowUi::UpdateStatusForm() {
    status_.UpdateStatusForm();
}

void TWindowUi::CloseStatusForm() {
    status_.CloseStatusForm();
}

void TWindowUi::OpenWaitForm(const std::string& text, bool cancellable) {
    status_.OpenWaitForm(text, cancellable);
}

bool TWindowUi::StatusCancelled() const {
    return status_.StatusCancelled();
}

// ---- what only the exports ask ------------------------------------------------------------------

std::optional<TChmChoice> TWindowUi::ChmDialog() {
    return ShowChmDialog(&window_, lastDialogDir_);
}

int TWindowUi::ShellOpen(const std::string& file) {
    return ::ShellOpen(file, [this](const std::string& text, const std::string& caption) {
        MessageBox(text, caption, TMsgButtons::Ok);
    });
}

std::unique_ptr<RunningProgram> TWindowUi::StartChmCompiler(const std::string& projectFile) {
    return ::StartChmCompiler(projectFile);
}

// ---- what the captures report ------------------------------------------------------------------

void TWindowUi::CaptureDone(uint32_t nodeId) {
    OnCaptureFinished(window_.Binder(), nodeId);
}

void TWindowUi::SavingStatus(StatusForm form, int wParam, const std::string& status,
                             const std::optional<std::string>& url) {
    MessageTarget* target = form == StatusForm::Wait ? static_cast<MessageTarget*>(status_.Form())
                            : form == StatusForm::Level ? levelForm_
                                                        : nullptr;
    if (target != nullptr) {
        target->Dispatch(SavingStatusMessage(wParam, status, url));
    }
}

void TWindowUi::ProcessMessages() {
    QCoreApplication::processEvents();
}

// ---- dialogs ------------------------------------------------------------------------------------

std::optional<std::string> TWindowUi::OpenFileDialog(const TFileDialogOptions& options) {
    return RunFileDialog(&window_, options, QFileDialog::AcceptOpen);
}

std::optional<std::string> TWindowUi::SaveFileDialog(const TFileDialogOptions& options) {
    return RunFileDialog(&window_, options, QFileDialog::AcceptSave);
}

std::optional<std::string> TWindowUi::SelectDirectory(const std::string& prompt,
                                                      const std::string& startFolder,
                                                      bool allowCreate) {
    QFileDialog dialog(&window_, ToQ(prompt),
                       startFolder.empty() ? QDir::homePath() : ToQ(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::ReadOnly, !allowCreate);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQ(dialog.selectedFiles().front());
}

std::optional<TNewBinderChoice> TWindowUi::NewBinderDialog(const std::string& startFolder) {
    return ShowNewBinderDialog(&window_, startFolder);
}

std::unique_ptr<IAddItemDialog> TWindowUi::CreateAddItemDialog(int mode,
                                                               std::optional<uint32_t> folderId,
                                                               const std::string& folderDump) {
    if (addHost_ == nullptr) {
        return nullptr;
    }
    return std::make_unique<TFormLoc>(&window_, *addHost_, mode, folderId, folderDump,
                                      addRunner_->Current());
}

// ---- the window around the tree -----------------------------------------------------------------

void TWindowUi::SetCaption(const std::string& caption) {
    window_.Actions().SetCaption(caption);
}

void TWindowUi::SetRecentBinders(const std::vector<std::string>& paths) {
    window_.Actions().SetRecentBinders(paths);
}

void TWindowUi::EnableCommand(TBinderCommand command, bool enabled) {
    window_.Actions().EnableCommand(command, enabled);
}

void TWindowUi::ShowPageView() {
    window_.ViewsPane().ActivatePage(ViewPage::Browse);
}

void TWindowUi::RestoreAndBringToFront() {
    window_.Restore();
    window_.BringToFront();
}

void TWindowUi::StoreTypedNotes() {
    window_.ViewsPane().Views().ApplyChangeExecute();
}

int TWindowUi::TopPanel() const {
    return window_.SideBar().TopPanel();
}

void TWindowUi::OpenPanel(int index) {
    window_.SideBar().OpenPanel(index);
}

void TWindowUi::RefillPanel(int index) {
    window_.SideBar().RefillPanel(index);
}

std::string TWindowUi::ChosenBinderPath() const {
    return window_.SideBar().ChosenBinderPath();
}

void TWindowUi::FillResultPanel(const std::vector<std::string>& texts,
                                const std::map<std::string, uint32_t>& ids) {
    window_.SideBar().FillResultPanel(texts, ids);
}
