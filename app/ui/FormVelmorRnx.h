#pragma once

// TFormVelmorRnx, the one main window, composed of its parts: the tree (TTreePane), the views
// (TViewsPane), the status bar (TStatusBarWriter), the menus and buttons (TMainActions), the
// notification-area icon (TTrayIcon), and the parts that play what the binder code, the exports
// and the captures ask of the window (TWindowRoleParts), wired to the panes when it is built.

#include "app/ui/CommandLine.h"
#include "app/ui/MainActions.h"
#include "app/ui/MainWindowHook.h"
#include "app/ui/MainWindowParts.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/PostedMessage.h"
#include "platform/graphics/ImageList.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class IBinderLifecycle;
class ICaptureStarter;
class ITaskQueue;
class InstanceChannel;
class QSplitter;
class TApplicationErrors;
class TBinderTree;
class TBinderTreeCommands;
class TNotesPart;
class TPendingChangesSaver;
class TSideBarPane;
class TStatusBarWriter;
class TTrayIcon;
class TTreePane;
class TUtilityCommands;
class TViewsPane;
struct TWindowRoleParts;

class TFormVelmorRnx : public QMainWindow, public MessageTarget, public IMainWindowHookTarget {
    Q_OBJECT
public:
    explicit TFormVelmorRnx(const TMainWindowParts& parts, QWidget* parent = nullptr);
    ~TFormVelmorRnx() override;

    // Collaborators made after the window (they need it); null until then.
    void SetLifecycle(IBinderLifecycle* lifecycle);
    void SetCaptureStarter(ICaptureStarter* capture); // the tree's and the wait status's

    // With "/nodde" opens the last binder or creates and opens the default one; false when the
    // default binder could not be created: the program must end.
    bool FormCreate(InstanceChannel* channel);
    void FormShow();
    bool FormClose(); // false when the user stayed
    // Ends as FormClose does, but nothing is asked or shown: the program is ending by itself
    // (a termination signal, the end of the desktop session). The binder is closed even when
    // its tree file cannot be written; what failed goes to the error output. False when
    // anything could not be written.
    bool EndQuietly();
    // Writes what the open binder holds as the pending changes' save does (the note being typed
    // into its record, its edit going on; the tree file; the task section), asking and showing
    // nothing, and stays open: the desktop session asks the program to keep its data as a
    // logout begins, which another program may still cancel. False when anything could not be
    // written (the error output says what).
    bool KeepData();
    // The window has closed for good (FormClose or EndQuietly went through).
    bool Closed() const { return closed_; }
    void Dispatch(const PostedMessage& message) override;

    // The application's hint handler: every command's hint (its status tip) goes here, into
    // status panel 0; without one, the status bar shows hints itself when its AutoHint is on.
    std::function<void(const std::string& hint)> OnApplicationHint;

    // ---- handlers ----
    void TreeView1Click(); // the common refresh of the views and commands
    void ToolButton13Click();
    void ViewLeftSideBarExecute();
    void SelectNodeByIndex(int index);
    void FileExitExecute() { close(); }
    void OnTrayIconMessage(intptr_t mouseMessage);
    void modifysb(int panel, const std::string& text, int progress);
    // The notes editor's (TNotesCommands carries them all).
    void RSaveExecute();
    void RPirntPreviewExecute();
    void TabSheet3Show();

    // ---- IMainWindowHookTarget ----
    void Restore() override;
    void BringToFront() override;
    void AddNode(const std::string& url, const std::string& info, const std::string& html,
                 int treeMode, int dialogMode) override;
    void OpenBinder(const std::string& path) override;
    bool ModalDialogOpen() const override;

    // ---- the parts ----
    TWindowRoleParts& Roles() { return *roles_; }
    TBinderTree& Binder() { return *binder_; }
    TBinderTreeCommands& TreeCommands() { return *treeCommands_; }
    TTreePane& TreePane() { return *treePane_; }
    TSideBarPane& SideBar() { return *sideBar_; }
    TViewsPane& ViewsPane() { return *viewsPane_; }
    TStatusBarWriter& StatusBar() { return *statusBar_; }
    TMainActions& Actions() { return *actions_; }
    TUtilityCommands& Utilities() { return *utilities_; }
    TNotesPart& NotesPart() { return *notes_; }
    TPendingChangesSaver& PendingChanges() { return *pendingSaver_; }
    MainWindowHook& Hook() { return hook_; }
    TApplicationErrors& ApplicationErrors() { return *errors_; }
    bool SideBarShown() const { return sideBarShown_; }
    int LeftPanelWidth() const;
    bool HasTrayIcon() const;

signals:
    void FormClosed(); // the window has closed for good: the program ends

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void BindCommands();
    void AfterWork();
    void ApplyStoredBounds();
    void WMSize();
    void SaveSettings();
    // FormClose's steps after the binder has closed.
    void FinishClosing();
    void SetLeftPanelWidth(int width);
    void UpdateCommands();
    bool OpenDefaultBinder();

    ISettingsStore& store_;
    TSettings& settings_;
    BinderPaths& paths_;
    ITaskQueue& queue_;
    IBinderLifecycle* lifecycle_ = nullptr;
    ICaptureStarter* capture_ = nullptr;
    InstanceChannel* channel_ = nullptr;
    TCommandLine commandLine_;
    std::string startFolder_;
    std::string pageNotAvailable_ = "Page Content Not Available";
    TImageList images_;
    std::unique_ptr<TWindowRoleParts> roles_; // goes after the tree that uses them
    std::unique_ptr<TBinderTree> binder_;
    std::unique_ptr<TBinderTreeCommands> treeCommands_;  // goes before the tree it works on
    std::unique_ptr<TPendingChangesSaver> pendingSaver_; // goes before the tree it saves
    MainWindowHook hook_{*this};
    TMainActions* actions_ = nullptr;
    TApplicationErrors* errors_ = nullptr; // the application's exception handler's boxes
    QSplitter* splitter_ = nullptr;
    TTreePane* treePane_ = nullptr;
    TViewsPane* viewsPane_ = nullptr;
    std::unique_ptr<TSideBarPane> sideBar_; // goes after the bar it works on
    std::unique_ptr<TStatusBarWriter> statusBar_;
    std::unique_ptr<TNotesPart> notes_; // goes before the page it fills
    TTrayIcon* tray_ = nullptr;
    TUtilityCommands* utilities_ = nullptr;
    bool sideBarShown_ = true;
    bool shown_ = false, closing_ = false, closed_ = false;
    // Asked to close while work served events beside the event loop: closed once it ends.
    bool closeAfterWork_ = false;
    // What waited for work beside the event loop: the requests, a close.
    AfterWorkBesideEventLoop afterWork_{[this] { AfterWork(); }};
};
