#include "app/ui/dialogs/WindowAddItemHost.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "platform/base/TreeNode.h"

std::string TWindowAddItemHost::OpenBinderFilePath() const {
    return paths_.BinderFilePath;
}

std::vector<std::string> TWindowAddItemHost::KnownBinders() const {
    return ReadBinderList(store_);
}

std::string TWindowAddItemHost::SelectedFolderLabel() const {
    const TTreeNode* selected = mainTree_.Selected();
    const TPageInfo* record = NodeRecord(selected);
    return record != nullptr && record->Kind == NodeKind::Folder ? selected->Text() : std::string();
}

std::string TWindowAddItemHost::LastDialogDir() const {
    return lastDialogDir_ ? lastDialogDir_() : std::string();
}

std::optional<std::string> TWindowAddItemHost::OpenFileDialog(const TFileDialogOptions& options) {
    return dialogs_.OpenFileDialog(options);
}

void TWindowAddItemHost::ShowMessage(const std::string& text) {
    messages_.ShowMessage(text);
}

void TWindowAddItemHost::SwitchBinder(const TBinderSwitch& change) {
    runner_.Switch(change);
}
