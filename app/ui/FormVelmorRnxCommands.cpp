// The main window's menus and tool buttons for the binder commands, and which of them are
// enabled.
#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderLifecycle.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/PageInfo.h"
#include "app/ui/views/NodeViews.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {

struct TActionEntry {
    TMainAction Action;
    const char* Name;
    const char* Caption;
    const char* Hint; // "short|long"
    QStyle::StandardPixmap Icon;
};

constexpr QStyle::StandardPixmap NoIcon = QStyle::SP_CustomBase;

} // namespace

void TFormVelmorRnx::BuildActions() {
    const TActionEntry entries[] = {
        {TMainAction::FileNewBinder, "FileNewBinder", "&New Binder...",
         "New Binder|Create a new binder and open it", QStyle::SP_FileDialogNewFolder},
        {TMainAction::FileOpenBinder, "FileOpenBinder", "&Open Binder...",
         "Open Binder|Open a binder file", QStyle::SP_DialogOpenButton},
        {TMainAction::FileCloseBinder, "FileCloseBinder", "&Close Binder",
         "Close Binder|Save and close the open binder", NoIcon},
        {TMainAction::FileExit, "FileExit", "E&xit", "Exit|Close Tarnwick", NoIcon},
        {TMainAction::FileNewFolder, "FileNewFolder", "New &Folder",
         "New Folder|Add a folder under the selected folder", QStyle::SP_DirClosedIcon},
        {TMainAction::FileAppendFolder, "FileAppendFolder", "&Append Folder",
         "Append Folder|Add a folder beside the selected node", NoIcon},
        {TMainAction::FileNewNode, "FileNewNode", "New &Item...",
         "New Item|Add a page, note or link under the selected folder", QStyle::SP_FileIcon},
        {TMainAction::FileAppendNode, "FileAppendNode", "Append I&tem...",
         "Append Item|Add a page, note or link beside the selected node", NoIcon},
        {TMainAction::EditCut1, "EditCut1", "Cu&t", "Cut|Cut the selected node", NoIcon},
        {TMainAction::EditCopy1, "EditCopy1", "&Copy", "Copy|Copy the selected node", NoIcon},
        {TMainAction::EditPaste1, "EditPaste1", "&Paste", "Paste|Paste the cut or copied node",
         NoIcon},
        {TMainAction::EditDelete1, "EditDelete1", "&Delete", "Delete|Delete the selected nodes",
         QStyle::SP_TrashIcon},
        {TMainAction::ToolButton11, "ToolButton11", "&Paste", "Paste|Paste the cut or copied node",
         NoIcon},
        {TMainAction::Rename1, "Rename1", "&Rename", "Rename|Rename the selected node", NoIcon},
        {TMainAction::ExpandTree, "ExpandTree", "&Expand All", "Expand|Expand the whole tree",
         NoIcon},
        {TMainAction::CollapseTree, "CollapseTree", "C&ollapse All",
         "Collapse|Collapse the whole tree", NoIcon},
        {TMainAction::ToolCapture, "ToolCapture", "&Capture Page",
         "Capture|Capture the selected page again", QStyle::SP_BrowserReload},
        {TMainAction::ToolButton13, "ToolButton13", "&Stop",
         "Stop|Stop capturing the selected page, or loading the page shown",
         QStyle::SP_BrowserStop},
        {TMainAction::ViewLeftSideBar, "ViewLeftSideBar", "&LeftSide Bar",
         "Catalog Tree|Show or hide the side bar", NoIcon},
        {TMainAction::ViewSummary, "ViewSummary", "&Summary", "Summary|Show the node's summary",
         NoIcon},
        {TMainAction::ViewNote, "ViewNote", "&Notes", "Notes|Show the node's notes", NoIcon},
        {TMainAction::ViewBrowser, "ViewBrowser", "&Browse Locally",
         "Browse Locally|Show the stored page", NoIcon},
        {TMainAction::ViewDetail, "ViewDetail", "&Detail",
         "Detail|Show the page's links and source", NoIcon},
        {TMainAction::ToolButton4, "ToolButton4", "&Back", "Back|Go back", QStyle::SP_ArrowBack},
        {TMainAction::ToolButton5, "ToolButton5", "&Forward", "Forward|Go forward",
         QStyle::SP_ArrowForward},
        {TMainAction::ToolRefresh, "ToolRefresh", "&Refresh", "Refresh|Show the page again",
         NoIcon},
        {TMainAction::FilePrint, "FilePrint", "&Print...", "Print|Print the page shown", NoIcon},
        {TMainAction::ToolButton17, "ToolButton17", "&Find...", "Find|Find text in the page shown",
         NoIcon},
    };
    for (const TActionEntry& entry : entries) {
        auto* action = new QAction(entry.Caption, this);
        action->setObjectName(entry.Name);
        const QString hint = entry.Hint;
        action->setToolTip(hint.section('|', 0, 0));
        action->setStatusTip(hint.section('|', 1));
        if (entry.Icon != NoIcon) {
            action->setIcon(style()->standardIcon(entry.Icon));
        }
        actions_[entry.Action] = action;
    }

    const auto bind = [this](TMainAction action, auto command) {
        connect(Action(action), &QAction::triggered, this, [this, command] {
            Guarded([&] {
                command();
                UpdateCommands();
            });
        });
    };
    const auto lifecycle = [this](auto command) {
        return [this, command] {
            if (lifecycle_ != nullptr) {
                command(*lifecycle_);
            }
        };
    };
    bind(TMainAction::FileNewBinder,
         lifecycle([](IBinderLifecycle& binder) { binder.FileNewBinderExecute(); }));
    bind(TMainAction::FileOpenBinder,
         lifecycle([](IBinderLifecycle& binder) { binder.FileOpenBinderExecute(); }));
    bind(TMainAction::FileCloseBinder, lifecycle([this](IBinderLifecycle& binder) {
             binder.CloseBinder();
             TreeView1Click();
         }));
    bind(TMainAction::FileExit, [this] { FileExitExecute(); });
    bind(TMainAction::FileNewFolder, [this] { binder_->FileNewFolderExecute(); });
    bind(TMainAction::FileAppendFolder, [this] { binder_->FileAppendFolderExecute(); });
    bind(TMainAction::FileNewNode, [this] { RunAddRequest({"", "", "", -1, TInsertMode::Child}); });
    bind(TMainAction::FileAppendNode, [this] {
        RunAddRequest({"", "", "", -1, TInsertMode::Sibling});
    });
    bind(TMainAction::EditCut1, [this] { binder_->EditCut1Execute(); });
    bind(TMainAction::EditCopy1, [this] { binder_->EditCopy1Execute(); });
    bind(TMainAction::EditPaste1, [this] { binder_->EditPaste1Execute(); });
    bind(TMainAction::ToolButton11, [this] { binder_->EditPaste1Execute(); });
    bind(TMainAction::EditDelete1, [this] { binder_->EditDelete1Execute(); });
    bind(TMainAction::Rename1, [this] { binder_->Rename1Click(); });
    bind(TMainAction::ExpandTree, [this] { binder_->ExpandTreeExecute(); });
    bind(TMainAction::CollapseTree, [this] { binder_->CollapseTreeExecute(); });
    bind(TMainAction::ToolCapture, [this] {
        if (GetNodeKind(binder_->Selected()) == NodeKind::WebPage) {
            binder_->CaptureSelectedNode(false, CaptureOptions{});
            TreeView1Click();
        }
    });
    bind(TMainAction::ToolButton13, [this] { ToolButton13Click(); });
    bind(TMainAction::ViewLeftSideBar, [this] { ViewLeftSideBarExecute(); });
    // The views and the page browser's commands belong to the views controller.
    bind(TMainAction::ViewSummary, [this] { views_->ViewSummaryExecute(); });
    bind(TMainAction::ViewNote, [this] { views_->ViewNoteExecute(); });
    bind(TMainAction::ViewBrowser, [this] { views_->ViewBrowserExecute(); });
    bind(TMainAction::ViewDetail, [this] { views_->ViewDetailExecute(); });
    bind(TMainAction::ToolButton4, [this] { views_->ToolButton4Click(); });
    bind(TMainAction::ToolButton5, [this] { views_->ToolButton5Click(); });
    bind(TMainAction::ToolRefresh, [this] { views_->ToolRefreshExecute(); });
    bind(TMainAction::FilePrint, [this] { views_->FilePrintExecute(); });
    bind(TMainAction::ToolButton17, [this] { views_->ToolButton17Click(); });
    // Paste has nothing to paste until a node is cut or copied.
    Action(TMainAction::EditPaste1)->setEnabled(false);
    Action(TMainAction::ToolButton11)->setEnabled(false);
}

void TFormVelmorRnx::BuildMenus() {
    const auto add = [this](QMenu* menu, std::initializer_list<TMainAction> actions) {
        for (TMainAction action : actions) {
            menu->addAction(Action(action));
        }
    };
    QMenu* file = menuBar()->addMenu("&File");
    add(file, {TMainAction::FileNewBinder, TMainAction::FileOpenBinder});
    recentMenu_ = file->addMenu("&Recent Binder ");
    recentMenu_->setObjectName("Recent1");
    recentMenu_->setEnabled(false);
    add(file, {TMainAction::FileCloseBinder});
    file->addSeparator();
    add(file, {TMainAction::FileExit});

    QMenu* node = menuBar()->addMenu("&Node");
    add(node, {TMainAction::FileNewFolder, TMainAction::FileAppendFolder, TMainAction::FileNewNode,
               TMainAction::FileAppendNode});
    node->addSeparator();
    add(node, {TMainAction::EditCut1, TMainAction::EditCopy1, TMainAction::EditPaste1,
               TMainAction::EditDelete1, TMainAction::Rename1});
    node->addSeparator();
    add(node, {TMainAction::ExpandTree, TMainAction::CollapseTree});

    // The entry carries the action's image: the mark of the shown side bar.
    QMenu* view = menuBar()->addMenu("&View");
    add(view, {TMainAction::ViewLeftSideBar});
    view->addSeparator();
    add(view, {TMainAction::ViewSummary, TMainAction::ViewNote, TMainAction::ViewBrowser,
               TMainAction::ViewDetail});

    QMenu* tools = menuBar()->addMenu("&Tools");
    add(tools, {TMainAction::ToolCapture, TMainAction::ToolButton13});

    BuildBrowseMenu();

    QToolBar* toolBar = addToolBar("Tools");
    toolBar->setObjectName("ToolBar1");
    toolBar->setMovable(false);
    for (TMainAction action :
         {TMainAction::FileNewBinder, TMainAction::FileOpenBinder, TMainAction::FileNewFolder,
          TMainAction::FileNewNode, TMainAction::EditDelete1, TMainAction::ToolButton11,
          TMainAction::ToolCapture, TMainAction::ToolButton13}) {
        if (action == TMainAction::FileNewFolder || action == TMainAction::ToolCapture) {
            toolBar->addSeparator();
        }
        toolBar->addAction(Action(action));
    }
}

void TFormVelmorRnx::UpdateCommands() {
    const bool open = lifecycle_ != nullptr && lifecycle_->BinderOpen();
    const TTreeNode* node = binder_->Selected();
    const TPageInfo* record = NodeRecord(node);
    const bool underFolder = node == nullptr || GetNodeKind(node) == NodeKind::Folder;
    Action(TMainAction::FileCloseBinder)->setEnabled(open);
    Action(TMainAction::FileNewFolder)->setEnabled(open && underFolder);
    Action(TMainAction::FileNewNode)->setEnabled(open && underFolder);
    Action(TMainAction::FileAppendFolder)->setEnabled(open);
    Action(TMainAction::FileAppendNode)->setEnabled(open);
    Action(TMainAction::Rename1)->setEnabled(open && node != nullptr);
    Action(TMainAction::ExpandTree)->setEnabled(open);
    Action(TMainAction::CollapseTree)->setEnabled(open);
    const bool unfinished = record != nullptr && record->State == CaptureState::Unfinished;
    Action(TMainAction::ToolCapture)
        ->setEnabled(open && record != nullptr && record->Kind == NodeKind::WebPage && !unfinished);
    Action(TMainAction::ToolButton13)->setEnabled(open && unfinished);
    if (!open || node == nullptr) {
        for (TMainAction action :
             {TMainAction::EditCut1, TMainAction::EditCopy1, TMainAction::EditDelete1}) {
            Action(action)->setEnabled(false);
        }
    }
    if (!open) {
        Action(TMainAction::EditPaste1)->setEnabled(false);
        Action(TMainAction::ToolButton11)->setEnabled(false);
    }
}

void TFormVelmorRnx::SetLifecycle(IBinderLifecycle* lifecycle) {
    lifecycle_ = lifecycle;
    binder_->SetLifecycle(lifecycle);
    addHost_.reset();
    addRunner_.reset();
    if (lifecycle != nullptr) {
        addRunner_ =
            std::make_unique<TAddRequestRunner>(*lifecycle, [this](const TAddItemRequest& request) {
                binder_->AddNode(request.Url, request.Info, request.Html, request.TreeMode,
                                 request.DialogMode);
                UpdateCommands();
            });
        addHost_ = std::make_unique<TWindowAddItemHost>(*this, paths_, store_, binder_->Items(),
                                                        *addRunner_);
    }
    UpdateCommands();
}
