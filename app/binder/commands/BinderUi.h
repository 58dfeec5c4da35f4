#pragma once

// What the binder commands ask of the main window, by role: questions and messages (boxes, the
// confirmation, the wait form), dialogs (files, folders, Add Item, New Binder), and the window
// around the tree (caption, recent binders, command enabling, the side bar). What the views
// show of a node follows the tree itself (ITreeNodesObserver), not these calls. The part of
// the window that owns what a role does implements it (the side bar, the commands, the wait
// form); a test fakes the role it needs. Calls come from the main thread; a part that is
// reached from a worker thread passes the call on to the main thread.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IAddItemDialog;
class TTreeNode;

// The buttons of a message box. YesNo is a question whose default answer is No.
enum class TMsgButtons { Ok, OkCancel, RetryCancel, YesNo };

// How a message box or dialog was closed (the values the platform's boxes answer with).
enum class TModalResult { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// The commands whose enabled state the binder code changes.
enum class TBinderCommand { EditCut1, EditCopy1, EditPaste1, EditDelete1, ToolButton11 };

// The side-bar panels by index.
enum TShelfPanelIndex { TreePanel = 0, PagesListPanel = 1, BinderListPanel = 2 };

// A file dialog. `Filter` is written as pairs "Description|pattern;pattern|..." and the
// window turns it into its own form.
struct TFileDialogOptions {
    std::string InitialDir;
    std::string Filter;
    std::string FileName;
    std::string DefaultExt;
    std::string Title;
    bool ConfirmOverwrite = true; // off where the command asks about an existing file itself
};

// What the "New Binder Wizard" gives on OK: the folder, the binder name and the description.
struct TNewBinderChoice {
    std::string Folder;
    std::string Name;
    std::string Description;
};

// The wait form around long operations (the text is empty when there is none). While a
// level-by-level capture or a content sync runs they change nothing. UpdateStatusForm moves
// its bar on during long work on the main thread.
class IStatusForm {
public:
    virtual ~IStatusForm() = default;

    virtual void OpenStatusForm(const std::string& text) = 0;
    virtual void UpdateStatusForm() = 0;
    virtual void CloseStatusForm() = 0;
};

// Questions and messages, and the wait form.
class IUserMessages : public virtual IStatusForm {
public:
    // A message box with the application title and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual TModalResult MessageBox(const std::string& text, const std::string& caption,
                                    TMsgButtons buttons) = 0;
    // The "Confirm" dialog: true for OK. Closing it with "Don't show this message again"
    // ticked sets `askSetting` to false.
    virtual bool Confirm(const std::string& text, bool& askSetting) = 0;
};

// Dialogs.
class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;

    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) = 0;
    virtual std::optional<std::string> SelectDirectory(const std::string& prompt,
                                                       const std::string& startFolder,
                                                       bool allowCreate) = 0;
    // The "Add Item" dialog in its mode (-1 from the menus, 4 or 10 for a page sent from the
    // browser side), with the folder to preselect and the folder dump it builds its folder
    // tree from.
    virtual std::unique_ptr<IAddItemDialog>
    CreateAddItemDialog(int mode, std::optional<uint32_t> initialFolderId,
                        const std::string& folderDump) = 0;
    // The "New Binder Wizard", its folder starting at `startFolder`; nothing when cancelled.
    virtual std::optional<TNewBinderChoice> NewBinderDialog(const std::string& startFolder) = 0;
};

// The window's caption, its recent-binder menu and the commands the binder code enables.
class IBinderCommands {
public:
    virtual ~IBinderCommands() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    // Rebuilds the recent-binder menu from these paths, newest first; disabled when empty.
    virtual void SetRecentBinders(const std::vector<std::string>& paths) = 0;
    virtual void EnableCommand(TBinderCommand command, bool enabled) = 0;
};

// The side bar: the open panel, opening a panel (an index past the last panel is ignored),
// and filling a panel again.
class IBinderSideBar {
public:
    virtual ~IBinderSideBar() = default;

    virtual int TopPanel() const = 0;
    virtual void OpenPanel(int index) = 0;
    virtual void RefillPanel(int index) = 0;
    // The binder file of the entry last chosen in the side bar's binder list; empty when none.
    virtual std::string ChosenBinderPath() const = 0;
    // Adds one item to the page list per text, in order, for the node the text maps to.
    virtual void FillResultPanel(const std::vector<std::string>& texts,
                                 const std::map<std::string, uint32_t>& ids) = 0;
};

// The window itself and its views, as the binder commands move them.
class IBinderWindow {
public:
    virtual ~IBinderWindow() = default;

    // Switches the view pages to the page view.
    virtual void ShowPageView() = 0;
    // Restores the main window and brings it to the front.
    virtual void RestoreAndBringToFront() = 0;
    // Stores what was typed into the notes editor into the node it was typed for.
    virtual void StoreTypedNotes() = 0;
};

// The roles the binder commands use, each played by the part of the window that owns what it
// does; the program wires them once at start-up, a test hands in its fakes.
struct TBinderUiRoles {
    IUserMessages& Messages;
    IUserDialogs& Dialogs;
    IBinderCommands& Commands;
    IBinderSideBar& SideBar;
    IBinderWindow& Window;
};
