#pragma once

// The exports' and imports' way to the main window (IExportUi): their questions, messages and
// dialogs are the window's boxes and dialogs, their wait form with Cancel the wait status's;
// what is theirs alone is kept here: the folder the binder's file dialogs last used, the
// "Generate CHM File" dialog, the shell and the help compiler.

#include "app/binder/commands/ExportUi.h"
#include "app/ui/WindowDialogs.h"

class TWaitStatus;

class TExportPort : public TWindowDialogs, public IExportUi {
public:
    // Everything given must outlive the port; `owner` is the parent of its boxes and dialogs.
    TExportPort(QWidget& owner, TWaitStatus& status, const TAddRequests& addRequests);

    std::string LastDialogDir() const override { return lastDialogDir_; }
    void SetLastDialogDir(const std::string& folder) override { lastDialogDir_ = folder; }
    void OpenWaitForm(const std::string& text, bool cancellable) override;
    // Closes the form the command holds, which nothing else closes.
    void CloseStatusForm() override;
    void WhenWaitFormCancelled(std::function<void()> cancel) override;
    // Cancel was pressed on the wait form held open.
    bool StatusCancelled() const;
    std::optional<TChmChoice> ChmDialog() override;
    int ShellOpen(const std::string& file) override;
    std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) override;

private:
    QWidget& owner_;
    TWaitStatus& status_;
    std::string lastDialogDir_;
};
