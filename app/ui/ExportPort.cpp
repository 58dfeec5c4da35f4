#include "app/ui/ExportPort.h"

#include "app/ui/ShellBox.h"
#include "app/ui/WaitStatus.h"
#include "app/ui/dialogs/SaveCHM.h"
#include "platform/shell/ChmCompiler.h"
#include "platform/shell/ShellOpen.h"

TExportPort::TExportPort(QWidget& owner, TWaitStatus& status, const TAddRequests& addRequests)
    : TWindowDialogs(owner, status, addRequests), owner_(owner), status_(status) {}

void TExportPort::OpenWaitForm(const std::string& text, bool cancellable) {
    status_.OpenWaitForm(text, cancellable);
}

void TExportPort::CloseStatusForm() {
    status_.CloseWaitForm();
}

void TExportPort::WhenWaitFormCancelled(std::function<void()> cancel) {
    status_.WhenCancelled(std::move(cancel));
}

bool TExportPort::StatusCancelled() const {
    return status_.StatusCancelled();
}

std::optional<TChmChoice> TExportPort::ChmDialog() {
    return ShowChmDialog(&owner_, lastDialogDir_);
}

int TExportPort::ShellOpen(const std::string& file) {
    return ::ShellOpen(file, ShellMessageBox());
}

std::unique_ptr<RunningProgram> TExportPort::StartChmCompiler(const std::string& projectFile) {
    return ::StartChmCompiler(projectFile);
}
