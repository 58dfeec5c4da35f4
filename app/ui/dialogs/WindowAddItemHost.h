#pragma once

// The main window's side of the "Add Item" dialog, made of the parts the window is built from:
// its message box and file dialog, the open binder's paths, the binder list of the settings,
// the main tree and the request runner that carries out binder switches.

#include "app/ui/dialogs/AddItemHost.h"

#include <functional>
#include <string>

class ISettingsStore;
class TTreeNodes;
struct BinderPaths;

class TWindowAddItemHost : public IAddItemHost {
public:
    // Everything given must outlive the host. `lastDialogDir` answers the folder the window's
    // file dialogs used last (empty when unknown).
    TWindowAddItemHost(IUserMessages& messages, IUserDialogs& dialogs, const BinderPaths& paths,
                       ISettingsStore& store, const TTreeNodes& mainTree, TAddRequestRunner& runner,
                       std::function<std::string()> lastDialogDir = {})
        : messages_(messages), dialogs_(dialogs), paths_(paths), store_(store), mainTree_(mainTree),
          runner_(runner), lastDialogDir_(std::move(lastDialogDir)) {}

    std::string OpenBinderFilePath() const override;
    std::vector<std::string> KnownBinders() const override;
    std::string SelectedFolderLabel() const override;
    std::string LastDialogDir() const override;
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    void ShowMessage(const std::string& text) override;
    void SwitchBinder(const TBinderSwitch& change) override;

private:
    IUserMessages& messages_;
    IUserDialogs& dialogs_;
    const BinderPaths& paths_;
    ISettingsStore& store_;
    const TTreeNodes& mainTree_;
    TAddRequestRunner& runner_;
    std::function<std::string()> lastDialogDir_;
};
