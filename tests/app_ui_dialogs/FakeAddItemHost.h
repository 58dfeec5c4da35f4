#pragma once

// A main window for the Add Item dialog: the binder list and open binder it is given, the
// messages and switches it receives, and the file dialog's answer.

#include "app/ui/dialogs/AddItemHost.h"

#include <optional>
#include <string>
#include <vector>

struct FakeAddItemHost : IAddItemHost {
    std::string OpenPath;
    std::vector<std::string> Binders;
    std::string FolderLabel;
    std::optional<std::string> FileAnswer;
    std::vector<std::string> Messages;
    std::vector<TFileDialogOptions> FileDialogs;
    std::vector<TBinderSwitch> Switches;

    std::string OpenBinderFilePath() const override { return OpenPath; }
    std::vector<std::string> KnownBinders() const override { return Binders; }
    std::string SelectedFolderLabel() const override { return FolderLabel; }
    std::string LastDialogDir() const override { return "/last/dir"; }
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override {
        FileDialogs.push_back(options);
        return FileAnswer;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void SwitchBinder(const TBinderSwitch& change) override { Switches.push_back(change); }
};
