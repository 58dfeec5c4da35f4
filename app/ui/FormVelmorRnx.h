#pragma once

// TFormVelmorRnx, the one main window: the binder tree on the left, the four views on the
// right, the status bar below, the menus and tool buttons of the binder commands. It is the
// window the binder and capture code talk to (IBinderUi), the target of the messages posted to
// it (3021 from the notification-area icon, 3022 when a page capture has ended) and of the
// requests of other programs (IMainWindowHookTarget).
//
// Its life: construction (command line, working paths, settings, the notification-area icon),
// FormCreate (the hook, the binder opened at start), FormShow, running, FormClose (after the
// exit confirmation: binder closed, icon, hook, shared block, settings, DDE stand-in).

#include "app/binder/BinderUi.h"
#include "app/binder/Settings.h"
#include "app/ui/CommandLine.h"
#include "app/ui/MainWindowHook.h"
#include "app/ui/dialogs/AddItemHost.h"
#include "app/ui/dialogs/WindowAddItemHost.h"
#include "app/ui/views/ViewsWindow.h"
#include "platform/base/PostedMessage.h"
#include "platform/graphics/ImageList.h"

#include <QMainWindow>

#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IBinderLifecycle;
class ICaptureStarter;
class ISettingsStore;
class ITaskQueue;
class InstanceChannel;
class QAction;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class TBinderTree;
class TBinderTreeView;
class TForm4;
class TMainCaptureNotifier;
class TMarkupStatusBar;
class TNodeViews;
class TPageInfo;
class TSummaryTemplates;
class TTreeNodesModel;
class TWebBrowser;
class QTreeWidget;
struct BinderPaths;

// What the window is built from; everything must outlive it.
struct TMainWindowParts {
    ISettingsStore& Store;
    TSettings& Settings;
    BinderPaths& Paths;
    ITaskQueue& Queue;
    ICaptureStarter& Capture;
    std::vector<std::string> Arguments; // the command line, the program first
    std::string StartFolder;            // the current folder at start-up
};

// The window's private messages: calls made on other threads, carried to the window's own.
inline constexpr uint32_t WM_TRAYICON = 3021;
inline constexpr uint32_t WM_OPENSTATUSFORM = 0x0400 + 200;
inline constexpr uint32_t WM_CLOSESTATUSFORM = 0x0400 + 201;
inline constexpr uint32_t WM_MODIFYSB = 0x0400 + 202;

// Mouse events of the notification-area icon, as its callback message carries them.
inline constexpr intptr_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr intptr_t WM_RBUTTONDOWN = 0x204;

// The commands of the menus and tool buttons.
enum class TMainAction {
    FileNewBinder,
    FileOpenBinder,
    FileCloseBinder,
    FileExit,
    FileNewFolder,
    FileAppendFolder,
    FileNewNode,
    FileAppendNode,
    EditCut1,
    EditCopy1,
    EditPaste1,
    EditDelete1,
    ToolButton11, // the paste tool button, enabled on its own
    Rename1,
    ExpandTree,
    CollapseTree,
    ToolCapture,  // captures the selected web page again
    ToolButton13, // stops the selected node's capture, or the page browser's load
    ViewLeftSideBar,
    ViewSummary,
    ViewNote,
    ViewBrowser,
    ViewDetail,
    ToolButton4, // the page browser: back
    ToolButton5, // forward
    ToolRefresh,
    FilePrint,
    ToolButton17, // find
};

class TFormVelmorRnx : public QMainWindow,
                       public MessageTarget,
                       public IBinderUi,
                       public IMainWindowHookTarget,
                       public IViewsWindow {
    Q_OBJECT
public:
    // The constructor's steps: the command-line switches, the working paths, the settings
    // (the stored bounds applied at once), the page-not-available text and the
    // notification-area icon where the desktop has a notification area.
    explicit TFormVelmorRnx(const TMainWindowParts& parts, QWidget* parent = nullptr);
    ~TFormVelmorRnx() override;

    // Collaborators made after the window (they need it); null until then.
    void SetLifecycle(IBinderLifecycle* lifecycle);
    void SetWaitForm(TForm4* form);
    // The status form of captures with linked pages, for the capture engine's 3019.
    void SetLevelStatusForm(MessageTarget* form);

    // Installs the hook on the instance channel (null: none), then with "/nodde" opens the last
    // binder or creates and opens the default one, restores the side-bar width and selects the
    // last node. False when the default binder could not be created: the program must end.
    bool FormCreate(InstanceChannel* channel);
    // Maximises when the window was maximised last time; shows the tip form on "/tip".
    void FormShow();
    // The exit confirmation and the close steps; false when the user stayed.
    bool FormClose();

    void Dispatch(const PostedMessage& message) override;

    // ---- status bar and wait form ----
    // The one writer of the status bar, under the status-bar lock: progress -1 shows the text
    // as HTML (ten blanks for none), any other value makes the panel a progress bar there.
    // Calls from other threads are carried to the window's thread.
    void modifysb(int panel, const std::string& text, int progress);
    void ApplicationHint(const std::string& hint);
    void WebBrowserStatusTextChange(const std::string& text);
    void WebBrowserProgressChange(int progress, int maximum);
    void ShowCaretPosition(int line, int column);

    // ---- IBinderUi ----
    void ShowMessage(const std::string& text) override;
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons buttons) override;
    bool Confirm(const std::string& text, bool& askSetting) override;
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SelectDirectory(const std::string& prompt,
                                               const std::string& startFolder,
                                               bool allowCreate) override;
    std::unique_ptr<IAddItemDialog> CreateAddItemDialog(int mode,
                                                        std::optional<uint32_t> initialFolderId,
                                                        const std::string& folderDump) override;
    std::optional<TNewBinderChoice> NewBinderDialog(const std::string& startFolder) override;
    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;
    void SetCaption(const std::string& caption) override;
    void SetRecentBinders(const std::vector<std::string>& paths) override;
    void EnableCommand(TBinderCommand command, bool enabled) override;
    void ResetViews() override;
    void ForgetShownNode() override;
    void ShowPageView() override;
    void RestoreAndBringToFront() override;
    void TreeView1Click() override;
    void ApplyChangeExecute() override;
    void ReflectNodeLabel(TTreeNode* node) override;
    int TopPanel() const override { return topPanel_; }
    void SetTopPanel(int index) override;
    void ShelfBar1PanelOpen(int index) override;
    std::string ChosenBinderPath() const override { return {}; }

    // ---- IMainWindowHookTarget ----
    void Restore() override;
    void BringToFront() override;
    void AddNode(const std::string& url, const std::string& info, const std::string& html,
                 int treeMode, int dialogMode) override;
    void OpenBinder(const std::string& path) override;
    bool ModalDialogOpen() const override;

    // ---- IViewsWindow ----
    void SetCommandEnabled(ViewCommand command, bool enabled) override;
    void SetPageVisible(ViewPage page, bool visible) override;
    void ActivatePage(ViewPage page) override;
    ViewPage ActivePage() const override;
    void SetViewMark(int index) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetStatusProgress(int position) override;
    void SetAddress(const std::string& url) override;
    void SetDownloadAnimation(bool running) override;
    void LoadNotes(const TPageInfo& record) override;
    void SaveNotes(TPageInfo& record) override;
    void ShowNodeSummary(const TTreeNode& node) override;
    void ShowDetail(const std::vector<std::string>& links, const std::string& source) override;
    void BinderChanged() override;
    void CaptureSelectedNode() override;

    // ---- commands ----
    void FileExitExecute() { close(); }
    void ViewLeftSideBarExecute();
    void ToolButton13Click();
    void OnTrayIconMessage(intptr_t mouseMessage);

    TBinderTree& Binder() { return *binder_; }
    TNodeViews& Views() { return *views_; }
    TWebBrowser& WebBrowser() { return *webBrowser_; }
    TWebBrowser& CppWebBrowser1() { return *cppWebBrowser1_; }
    MainWindowHook& Hook() { return hook_; }
    const TCommandLine& CommandLine() const { return commandLine_; }
    TMarkupStatusBar& MarkupStatusBar1() { return *statusBar_; }
    TBinderTreeView& TreeView1() { return *treeView_; }
    QTabWidget& PageControl1() { return *pageControl_; }
    QAction* Action(TMainAction action) const { return actions_.at(action); }
    QMenu& RecentMenu() const { return *recentMenu_; }
    bool SideBarShown() const { return sideBarShown_; }
    int LeftPanelWidth() const;
    bool HasTrayIcon() const { return tray_ != nullptr; }
    // The text shown for a page that has no stored content.
    const std::string& PageNotAvailableText() const { return pageNotAvailable_; }

signals:
    // The window has closed for good: the program ends.
    void FormClosed();

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
    void BuildActions();
    void BuildMenus();
    void BuildStatusBar();
    void BuildViews();
    void BuildBrowseMenu();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ApplyStoredBounds();
    void WMSize();
    void FormResize();
    void SaveSettings();
    void SetLeftPanelWidth(int width);
    void UpdateCommands();
    void RunAddRequest(const TAddItemRequest& request);
    bool OpenDefaultBinder();
    void ShowException(const std::exception& error);
    // Runs a command; an exception it raises is shown, never passed into the event loop.
    template <typename Command> void Guarded(Command&& command);

    ISettingsStore& store_;
    TSettings& settings_;
    BinderPaths& paths_;
    ITaskQueue& queue_;
    ICaptureStarter& capture_;
    IBinderLifecycle* lifecycle_ = nullptr;
    TForm4* waitForm_ = nullptr;
    InstanceChannel* channel_ = nullptr;

    TCommandLine commandLine_;
    std::string startFolder_;
    std::string resourceFolder_;
    std::string errorPagePath_;
    std::string pageNotAvailable_ = "Page Content Not Available";

    std::unique_ptr<TBinderTree> binder_;
    // Every add request (menus, pages sent from outside, a request sent again after a binder
    // switch in the Add Item dialog) runs through the runner.
    std::unique_ptr<TAddRequestRunner> addRunner_;
    std::unique_ptr<TWindowAddItemHost> addHost_;
    MainWindowHook hook_{*this};
    std::unique_ptr<TMainCaptureNotifier> notifier_;
    TImageList images_;
    std::unique_ptr<TTreeNodesModel> treeModel_;
    TBinderTreeView* treeView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* panel1_ = nullptr;
    QWidget* shelfBar1_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    TWebBrowser* cppWebBrowser1_ = nullptr; // the summary
    TWebBrowser* webBrowser_ = nullptr;     // the stored page
    QPlainTextEdit* richEdit1_ = nullptr;   // the detail view's page source
    QTreeWidget* listView1_ = nullptr;      // and its hyperlinks
    QMenu* browse1_ = nullptr;
    std::unique_ptr<TSummaryTemplates> summaries_;
    std::unique_ptr<TNodeViews> views_;
    TMarkupStatusBar* statusBar_ = nullptr;
    std::map<TMainAction, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> tray_;

    std::mutex statusLock_;
    int lastSeenWidth_ = -1;
    int panel0Width_ = 0; // may run below zero; the panel shows at least nothing
    bool sideBarShown_ = true;
    int topPanel_ = 0;
    bool shown_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

template <typename Command> void TFormVelmorRnx::Guarded(Command&& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}
