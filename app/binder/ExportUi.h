#pragma once

// What the exports and imports of a binder (exchange files, HTML files, URL lists, compiled
// help) ask of the main window: boxes, the file and folder dialogs with the folder they last
// used, the confirmation with its "Don't show this message again" box, the wait form, the
// "Generate CHM File" dialog and the shell. What the views show follows the tree itself. The main
// window implements it; tests record the calls. Everything is called on the main thread.

#include "app/binder/BinderUi.h"
#include "platform/base/RunningProgram.h"

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

class IExportUi {
public:
    virtual ~IExportUi() = default;

    virtual void ShowMessage(const std::string& text) = 0;
    virtual TModalResult MessageBox(const std::string& text, const std::string& caption,
                                    TMsgButtons buttons) = 0;
    // The confirmation form: true for OK. Closing it with "Don't show this message again"
    // ticked sets `askSetting` to false.
    virtual bool Confirm(const std::string& text, bool& askSetting) = 0;

    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SelectDirectory(const std::string& prompt,
                                                       const std::string& startFolder,
                                                       bool allowCreate) = 0;
    // The folder the binder's file dialogs start in, shared by all of them.
    virtual std::string LastDialogDir() const = 0;
    virtual void SetLastDialogDir(const std::string& folder) = 0;

    // The wait form. While it is open the window's commands are held, so the event loop may
    // run (UpdateStatusForm) without a command starting again. `cancellable` shows a Cancel
    // button, whose press StatusCancelled reports until the form closes.
    virtual void OpenStatusForm(const std::string& text, bool cancellable) = 0;
    virtual void UpdateStatusForm() = 0;
    virtual bool StatusCancelled() const = 0;
    virtual void CloseStatusForm() = 0;

    // "Generate CHM File"; nothing when it was not closed with OK.
    virtual std::optional<TChmChoice> ChmDialog() = 0;

    // Opens a file with the desktop's handler; 0, or -1 once the failure was shown.
    virtual int ShellOpen(const std::string& file) = 0;
    // Starts the help compiler on a project file; null when it cannot be started.
    virtual std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) = 0;
};
