#pragma once

// The main window's boxes and dialogs as the binder code asks for them: the message boxes, the
// confirmation, the file and folder dialogs, the "Add Item" dialog and the "New Binder Wizard",
// each shown modal over the window. The wait form belongs to the wait status, which the status
// calls go to.

#include "app/binder/commands/BinderUi.h"

class QWidget;
class TAddRequests;

// The roles are virtual bases: a part that also plays a role built on them (the exports' port)
// takes the boxes and dialogs from here.
class TWindowDialogs : public virtual IUserMessages, public virtual IUserDialogs {
public:
    // Everything given must outlive the part; `owner` is the parent of every box and dialog.
    TWindowDialogs(QWidget& owner, IStatusForm& status, const TAddRequests& addRequests)
        : owner_(owner), status_(status), addRequests_(addRequests) {}

    // ---- IUserMessages ----
    void ShowMessage(const std::string& text) override;
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons buttons) override;
    bool Confirm(const std::string& text, bool& askSetting) override;
    void OpenStatusForm(const std::string& text) override { status_.OpenStatusForm(text); }
    void UpdateStatusForm() override { status_.UpdateStatusForm(); }
    void CloseStatusForm() override { status_.CloseStatusForm(); }

    // ---- IUserDialogs ----
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SelectDirectory(const std::string& prompt,
                                               const std::string& startFolder,
                                               bool allowCreate) override;
    // Null until the add requests have a lifecycle to run binder switches with.
    std::unique_ptr<IAddItemDialog> CreateAddItemDialog(int mode,
                                                        std::optional<uint32_t> initialFolderId,
                                                        const std::string& folderDump) override;
    std::optional<TNewBinderChoice> NewBinderDialog(const std::string& startFolder) override;

private:
    QWidget& owner_;
    IStatusForm& status_;
    const TAddRequests& addRequests_;
};
