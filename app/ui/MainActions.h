#pragma once

// The main window's commands as menus, tool buttons and the buttons at the right end of the
// tool area: made once with their captions, hints and images, enabled by the views and by
// what the binder document announces, and marked for the view shown; with the window's caption
// and recent-binder menu they are what the binder commands set of the window
// (IBinderCommands). What a command does is bound by the window.

#include "app/binder/commands/BinderUi.h"
#include "app/ui/views/ViewsWindow.h"

#include <QObject>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class TBinderTree;
class TBusyIndicator;
class TCommandEnabling;
class TImageList;
class TTreeNode;

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
    SpeedButton4, // the next node down the tree
    SpeedButton5, // the next node up the tree
    // Exports and imports of the binder.
    FileExportAll,
    FileExportContent,
    FileImportVelmor,
    FileSaveHtml,
    FileSaveHtmlAll,
    FileImportHtml,
    ToolSyncContent,
    FileExportList,
    FileExportListall,
    FileExportCHM,
    ToolChangeURL, // a finished page's new address, captured again: the menu entry and button
    // The notes' editing state: a change began, is stored, or is thrown away.
    OtherChanged,
    ApplyChange,
    CancelChange,
};

class TMainActions : public QObject, public IViewCommands, public IBinderCommands {
    Q_OBJECT
public:
    // Builds the actions, the menu bar and the tool bar of `window`.
    TMainActions(QMainWindow& window, const TImageList& images);
    ~TMainActions() override;

    // Enables the edit commands and sets the caption as the binder document's notices say
    // (cut or copy, paste, a binder read or closed); null stops following. The tree must
    // outlive the following.
    void FollowBinder(TBinderTree* tree);

    QAction* Action(TMainAction action) const { return actions_.at(action); }
    QMenu& RecentMenu() const { return *recentMenu_; }
    // The window's caption.
    void SetCaption(const std::string& caption) override;
    // Rebuilds the recent-binder menu from these paths, newest first; disabled when empty.
    void SetRecentBinders(const std::vector<std::string>& paths) override;
    void EnableCommand(TBinderCommand command, bool enabled) override;
    // What an open or closed binder and the selected node allow.
    void UpdateCommands(bool binderOpen, const TTreeNode* selected);
    // The notes editor's "&Edit   " menu, placed before "&View"; the views enable it.
    void SetEditMenu(QMenu& menu);
    // Adds commands made elsewhere at the end of the "&Tools" menu.
    void AddToolsCommands(std::initializer_list<QAction*> commands);
    // The side-bar entry carries the mark of the shown side bar.
    void MarkSideBar(bool shown);
    // Animate1, the busy animation while the page browser's page is captured.
    void SetAnimation(bool running);
    bool AnimationRunning() const { return animating_; }

    // Every command the views enable has an action or a menu here; one that has none is a
    // programming error (std::logic_error).
    void SetCommandEnabled(ViewCommand command, bool enabled) override;
    void SetViewMark(int index) override;

signals:
    // A text size of the page browser was chosen, 0 smallest to 4 largest.
    void TextSizeChosen(int step);
    // An entry of the recent-binder menu, by its caption.
    void RecentChosen(const std::string& caption);

private:
    void BuildActions();
    void BuildMenus();
    void BuildBrowseMenu();
    void BuildToolBar();

    QMainWindow& window_;
    const TImageList& images_;
    std::map<TMainAction, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    QMenu* tools_ = nullptr;
    QMenu* view_ = nullptr;
    QMenu* edit1_ = nullptr;
    QMenu* browse1_ = nullptr;
    QMenu* textSize_ = nullptr; // ToolButton16
    TBusyIndicator* animate1_ = nullptr;
    bool animating_ = false;
    bool changeUrlMenu_ = false, changeUrlButton_ = false; // ToolChangeURL1, ToolChangeURL
    std::unique_ptr<TCommandEnabling> enabling_;
};
