#pragma once

// What the export and import commands of a binder (exchange files, HTML files, URL lists,
// compiled help) ask of the main window: boxes and the confirmation, the file and folder
// dialogs with the folder they last used, the wait form with Cancel, the "Generate CHM File"
// dialog and the shell. What the views show follows the tree itself. The main window
// implements it; tests record the calls. Everything is called on the main thread.

#include "app/binder/commands/BinderUi.h"
#include "platform/base/RunningProgram.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// What the "Generate CHM File" dialog gives on OK.
struct TChmChoice {
    std::string Destination;
    std::string LocaleText; // "0x409" and the like
    bool FullTextSearch = false;
    bool LaunchWhenDone = false;
    bool OverwriteExisting = false;
};

// The commands ask the window's questions, messages and dialogs through its roles; what is
// theirs alone is below.
class IExportUi : public virtual IUserMessages, public virtual IUserDialogs {
public:
    // The folder the binder's file dialogs start in, shared by all of them.
    virtual std::string LastDialogDir() const = 0;
    virtual void SetLastDialogDir(const std::string& folder) = 0;

    // The wait form around an export or import, also while a capture with linked pages runs.
    // Until CloseStatusForm the window's commands are held, so UpdateStatusForm may let the
    // event loop run without a command starting again. `cancellable` shows a Cancel button.
    virtual void OpenWaitForm(const std::string& text, bool cancellable) = 0;
    // Calls `cancel` from the event loop when Cancel of the open wait form is pressed, until
    // the form closes.
    virtual void WhenWaitFormCancelled(std::function<void()> cancel) = 0;

    // "Generate CHM File"; nothing when it was not closed with OK.
    virtual std::optional<TChmChoice> ChmDialog() = 0;

    // Opens a file with the desktop's handler; 0, or -1 once the failure was shown.
    virtual int ShellOpen(const std::string& file) = 0;
    // Starts the help compiler on a project file; null when it cannot be started.
    virtual std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) = 0;
};
