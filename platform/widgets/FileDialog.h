#pragma once

// The file dialogs of the program: one to open an existing file and one to name a file to
// save, with filters as the program writes them ("Description|*.a;*.b|...").

#include <optional>
#include <string>

class QWidget;

struct FileDialogRequest {
    std::string Title;
    std::string InitialDir; // empty: the current folder
    std::string Filter;
    std::string FileName;   // proposed
    std::string DefaultExt; // added to a name chosen without one
    bool Save = false;
    // A save dialog asks before an existing file is chosen. A command that asks about an
    // existing file itself, or replaces it as a rule, turns this off: one question is enough.
    bool ConfirmOverwrite = true;
};

struct FileDialogAnswer {
    std::string Path;
    int FilterIndex = 1; // 1-based, of the filter chosen
};

// Nothing when cancelled.
std::optional<FileDialogAnswer> RunFileDialog(QWidget* owner, const FileDialogRequest& request);
