#include "app/ui/MainActions.h"

#include "app/binder/PageInfo.h"
#include "app/binder/commands/CommandEnabling.h"
#include "app/ui/BusyIndicator.h"
#include "app/ui/MenuBarKeyboard.h"
#include "app/ui/NodeImages.h"
#include "app/ui/NoteIcons.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/QtText.h"
#include "platform/base/StringUtils.h"
#include "platform/browser/Browser.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/FadedPicture.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSizePolicy>
#include <QStyle>
#include <QToolBar>

#include <stdexcept>
#include <string>

// The program's own picture of New Item, 24 x 24.
#include "resources/icons/main/newitem.xpm"

namespace {

struct TActionEntry {
    TMainAction Action;
    const char* Name;
    const char* Caption;
    const char* Hint; // "short|long"
    QStyle::StandardPixmap Icon;
};

constexpr QStyle::StandardPixmap NoIcon = QStyle::SP_CustomBase;

constexpr TActionEntry ActionEntries[] = {
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
     "New Item|Add a page, note or link under the selected folder", NoIcon},
    {TMainAction::FileAppendNode, "FileAppendNode", "Append I&tem...",
     "Append Item|Add a page, note or link beside the selected node", NoIcon},
    {TMainAction::EditCut1, "EditCut1", "Cu&t", "Cut|Cut the selected node", NoIcon},
    {TMainAction::EditCopy1, "EditCopy1", "&Copy", "Copy|Copy the selected node", NoIcon},
    {TMainAction::EditPaste1, "EditPaste1", "&Paste", "Paste|Paste the cut or copied node", NoIcon},
    {TMainAction::EditDelete1, "EditDelete1", "&Delete", "Delete|Delete the selected nodes",
     QStyle::SP_TrashIcon},
    {TMainAction::ToolButton11, "ToolButton11", "&Paste", "Paste|Paste the cut or copied node",
     NoIcon},
    {TMainAction::Rename1, "Rename1", "&Rename", "Rename|Rename the selected node", NoIcon},
    {TMainAction::ExpandTree, "ExpandTree", "&Expand All", "Expand|Expand the whole tree", NoIcon},
    {TMainAction::CollapseTree, "CollapseTree", "C&ollapse All", "Collapse|Collapse the whole tree",
     NoIcon},
    {TMainAction::ToolCapture, "ToolCapture", "&Capture Page",
     "Capture|Capture the selected page again", QStyle::SP_BrowserReload},
    {TMainAction::ToolButton13, "ToolButton13", "&Stop",
     "Stop|Stop capturing the selected page, or loading the page shown", QStyle::SP_BrowserStop},
    {TMainAction::ViewLeftSideBar, "ViewLeftSideBar", "&LeftSide Bar",
     "Catalog Tree|Show or hide the side bar", NoIcon},
    {TMainAction::ViewSummary, "ViewSummary", "&Summary", "Summary|Show the node's summary",
     NoIcon},
    {TMainAction::ViewNote, "ViewNote", "&Notes", "Notes|Show the node's notes", NoIcon},
    {TMainAction::ViewBrowser, "ViewBrowser", "&Browse Locally",
     "Browse Locally|Show the stored page", NoIcon},
    {TMainAction::ViewDetail, "ViewDetail", "&Detail", "Detail|Show the page's links and source",
     NoIcon},
    {TMainAction::ToolButton4, "ToolButton4", "&Back", "Back|Go back", QStyle::SP_ArrowBack},
    {TMainAction::ToolButton5, "ToolButton5", "&Forward", "Forward|Go forward",
     QStyle::SP_ArrowForward},
    {TMainAction::ToolRefresh, "ToolRefresh", "&Refresh", "Refresh|Show the page again", NoIcon},
    {TMainAction::FilePrint, "FilePrint", "&Print...", "Print|Print the page shown", NoIcon},
    {TMainAction::ToolButton17, "ToolButton17", "&Find...", "Find|Find text in the page shown",
     NoIcon},
    {TMainAction::SpeedButton4, "SpeedButton4", "Down", "Down|Navigate downwards",
     QStyle::SP_ArrowDown},
    {TMainAction::SpeedButton5, "SpeedButton5", "Up", "Up|Navigate upwards", QStyle::SP_ArrowUp},
    {TMainAction::FileExportAll, "FileExportAll", "Entire Binder",
     "Export|Export the whole binder into an exchange file", NoIcon},
    {TMainAction::FileExportContent, "FileExportContent", "Export Content As Page",
     "Export|Export the selected node and what it holds into an exchange file", NoIcon},
    {TMainAction::FileImportVelmor, "FileImportVelmor", "Import From Velmor format file",
     "Import|Import an exchange file into the selected folder", NoIcon},
    {TMainAction::FileSaveHtml, "FileSaveHtml", "Selected Only",
     "Save As Html|Save the selected page or folder as HTML files", NoIcon},
    {TMainAction::FileSaveHtmlAll, "FileSaveHtmlAll", "Entire Binder",
     "Save As Html|Save every page of the binder as HTML files", NoIcon},
    {TMainAction::FileImportHtml, "FileImportHtml", "Html File(s) From Directory",
     "Import|Import the HTML files of a folder into the selected folder", NoIcon},
    {TMainAction::ToolSyncContent, "ToolSyncContent", "Sync Content",
     "Sync Content|Capture the selected page again from its address", NoIcon},
    {TMainAction::FileExportList, "FileExportList", "Selected Only",
     "Export URL List|Export All The URL of Webpage under Selected Folder Into a Text File",
     NoIcon},
    {TMainAction::FileExportListall, "FileExportListall", "Entire Binder",
     "Export URL List All |Export All The URL of Webpages In The Binder  Into a Text File", NoIcon},
    {TMainAction::FileExportCHM, "FileExportCHM", "&Generate CHM",
     "Generate CHM|Compile the binder's pages into a help file", NoIcon},
    {TMainAction::ToolChangeURL, "ToolChangeURL", "Change &URL...",
     "Change URL|Change the selected page's address and capture it again",
     QStyle::SP_FileDialogDetailedView},
    {TMainAction::OtherChanged, "OtherChanged", "Changed", "Changed|The note is being changed",
     NoIcon},
    {TMainAction::ApplyChange, "ApplyChange", "Apply Change",
     "Apply Change|Store the changes of the note", NoIcon},
    {TMainAction::CancelChange, "CancelChange", "Cancel Change",
     "Cancel Change|Throw the changes of the note away and show it as stored", NoIcon},
};

// The text sizes of the page browser, "Smallest" (step 0) to "Largest" (step 4).
constexpr const char* TextSizeCaptions[ZoomStepCount] = {"Smallest", "Small", "Media", "Large",
                                                         "Largest"};

} // namespace

TMainActions::TMainActions(QMainWindow& window, const TImageList& images)
    : QObject(&window), window_(window), images_(images) {
    BuildActions();
    new TMenuBarKeyboard(window_);
    BuildMenus();
    BuildToolBar();
}

void TMainActions::BuildActions() {
    for (const TActionEntry& entry : ActionEntries) {
        auto* action = new QAction(entry.Caption, &window_);
        action->setObjectName(entry.Name);
        const QString hint = entry.Hint;
        action->setToolTip(hint.section('|', 0, 0));
        action->setStatusTip(hint.section('|', 1));
        if (entry.Icon != NoIcon) {
            action->setIcon(window_.style()->standardIcon(entry.Icon));
        }
        actions_[entry.Action] = action;
    }
    // The Delete key deletes nodes only while the tree has the focus, so the tree holds the
    // key (the window binds it); the menu entry only names it. As the action's own shortcut it
    // also matched while the menu bar held the keyboard after a menu closed with Escape, and
    // the key meant for a character of the note deleted the whole node.
    QAction* deleteNodes = Action(TMainAction::EditDelete1);
    deleteNodes->setText(deleteNodes->text() + '\t' +
                         QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText));
    // Paste has nothing to paste until a node is cut or copied, no note is changed yet,
    // nor is a finished page selected whose address could change.
    for (TMainAction action :
         {TMainAction::EditPaste1, TMainAction::ToolButton11, TMainAction::ApplyChange,
          TMainAction::CancelChange, TMainAction::ToolChangeURL}) {
        Action(action)->setEnabled(false);
    }
    // The tool bar's paste button shows the picture the notes editor's paste shows.
    Action(TMainAction::ToolButton11)->setIcon(NoteActionIcon(TNoteAction::RPaste));
    // A page of our own: the style's blank page is nearly all white, the same faded or not.
    Action(TMainAction::FileNewNode)->setIcon(QIcon(QPixmap(main_newitem_xpm)));
}

void TMainActions::BuildMenus() {
    const auto add = [this](QMenu* menu, std::initializer_list<TMainAction> actions) {
        for (TMainAction action : actions) {
            menu->addAction(Action(action));
        }
    };
    QMenu* file = window_.menuBar()->addMenu("&File");
    add(file, {TMainAction::FileNewBinder, TMainAction::FileOpenBinder});
    recentMenu_ = file->addMenu("&Recent Binder ");
    recentMenu_->setObjectName("Recent1");
    recentMenu_->setEnabled(false);
    add(file, {TMainAction::FileCloseBinder});
    file->addSeparator();
    add(file->addMenu("&Import"), {TMainAction::FileImportVelmor, TMainAction::FileImportHtml});
    add(file->addMenu("&Export"), {TMainAction::FileExportAll, TMainAction::FileExportContent});
    add(file->addMenu("Save As &Html"), {TMainAction::FileSaveHtml, TMainAction::FileSaveHtmlAll});
    add(file->addMenu("Export &URL List"),
        {TMainAction::FileExportList, TMainAction::FileExportListall});
    file->addSeparator();
    add(file, {TMainAction::FileExit});

    QMenu* node = window_.menuBar()->addMenu("&Node");
    add(node, {TMainAction::FileNewFolder, TMainAction::FileAppendFolder, TMainAction::FileNewNode,
               TMainAction::FileAppendNode});
    node->addSeparator();
    add(node, {TMainAction::EditCut1, TMainAction::EditCopy1, TMainAction::EditPaste1,
               TMainAction::EditDelete1, TMainAction::Rename1});
    node->addSeparator();
    add(node, {TMainAction::ExpandTree, TMainAction::CollapseTree});

    QMenu* view = window_.menuBar()->addMenu("&View");
    view_ = view;
    add(view, {TMainAction::ViewLeftSideBar});
    view->addSeparator();
    add(view, {TMainAction::ViewSummary, TMainAction::ViewNote, TMainAction::ViewBrowser,
               TMainAction::ViewDetail});

    tools_ = window_.menuBar()->addMenu("&Tools");
    add(tools_,
        {TMainAction::ToolCapture, TMainAction::ToolButton13, TMainAction::ToolSyncContent});
    tools_->addSeparator();
    add(tools_, {TMainAction::FileExportCHM});

    BuildBrowseMenu();
}

void TMainActions::AddToolsCommands(std::initializer_list<QAction*> commands) {
    for (QAction* command : commands) {
        tools_->addAction(command);
    }
}

void TMainActions::BuildBrowseMenu() {
    for (TMainAction action : {TMainAction::ViewSummary, TMainAction::ViewNote,
                               TMainAction::ViewBrowser, TMainAction::ViewDetail}) {
        Action(action)->setCheckable(true);
    }
    browse1_ = window_.menuBar()->addMenu("&Browse");
    browse1_->setObjectName("Browse1");
    for (TMainAction action : {TMainAction::ToolButton4, TMainAction::ToolButton5,
                               TMainAction::ToolButton13, TMainAction::ToolRefresh}) {
        browse1_->addAction(Action(action));
    }
    browse1_->addSeparator();
    browse1_->addAction(Action(TMainAction::FilePrint));
    QMenu* sizes = browse1_->addMenu("Text &Size");
    sizes->setObjectName("ToolButton16");
    textSize_ = sizes;
    // The size in use carries the check, "Media" at start.
    for (int step = 0; step < ZoomStepCount; ++step) {
        QAction* entry = sizes->addAction(TextSizeCaptions[step]);
        entry->setCheckable(true);
        entry->setChecked(step == DefaultZoomStep);
        connect(entry, &QAction::triggered, this, [this, sizes, entry, step] {
            for (QAction* size : sizes->actions()) {
                size->setChecked(false);
            }
            entry->setChecked(true);
            emit TextSizeChosen(step);
        });
    }
    browse1_->addAction(Action(TMainAction::ToolButton17));
    browse1_->setEnabled(false);
    for (TMainAction action :
         {TMainAction::ToolButton4, TMainAction::ToolButton5, TMainAction::ToolRefresh}) {
        Action(action)->setEnabled(false);
    }
}

void TMainActions::BuildToolBar() {
    QToolBar* toolBar = window_.addToolBar("Tools");
    toolBar->setObjectName("ToolBar1");
    toolBar->setMovable(false);
    for (TMainAction action :
         {TMainAction::FileNewBinder, TMainAction::FileOpenBinder, TMainAction::FileNewFolder,
          TMainAction::FileNewNode, TMainAction::EditDelete1, TMainAction::ToolButton11,
          TMainAction::ToolCapture, TMainAction::ToolButton13, TMainAction::ToolChangeURL}) {
        if (action == TMainAction::FileNewFolder || action == TMainAction::ToolCapture) {
            toolBar->addSeparator();
        }
        toolBar->addAction(Action(action));
    }
    // The busy animation and the node buttons keep to the right end, however wide the window.
    auto* spring = new QWidget(toolBar);
    spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spring);
    animate1_ = new TBusyIndicator(toolBar);
    animate1_->setObjectName("Animate1");
    toolBar->addWidget(animate1_);
    toolBar->addAction(Action(TMainAction::SpeedButton4));
    toolBar->addAction(Action(TMainAction::SpeedButton5));
    // A disabled button shows a faded picture, as the notes editor's do.
    for (QAction* action : toolBar->actions()) {
        action->setIcon(WithFadedDisabled(action->icon()));
    }
}

void TMainActions::SetAnimation(bool running) {
    animating_ = running;
    if (running) {
        animate1_->Start();
    } else {
        animate1_->Stop();
    }
}

void TMainActions::MarkSideBar(bool shown) {
    Action(TMainAction::ViewLeftSideBar)
        ->setIcon(shown ? QIcon(QPixmap::fromImage(images_.Image(ImageViewMark))) : QIcon());
}

void TMainActions::SetCaption(const std::string& caption) {
    window_.setWindowTitle(ToQ(caption));
}

TMainActions::~TMainActions() = default;

void TMainActions::FollowBinder(TBinderTree* tree) {
    enabling_.reset();
    if (tree != nullptr) {
        enabling_ = std::make_unique<TCommandEnabling>(*tree, *this);
    }
}

void TMainActions::SetRecentBinders(const std::vector<std::string>& paths) {
    recentMenu_->clear();
    for (const std::string& path : paths) {
        // A path is shown as it is: "&" in it is no hot key, so it is doubled.
        const std::string caption = ReplaceAll(path, "&", "&&");
        QAction* entry = recentMenu_->addAction(ToQ(caption));
        connect(entry, &QAction::triggered, this, [this, caption] { emit RecentChosen(caption); });
    }
    recentMenu_->setEnabled(!paths.empty());
}

void TMainActions::EnableCommand(TBinderCommand command, bool enabled) {
    static const std::map<TBinderCommand, TMainAction> actions = {
        {TBinderCommand::EditCut1, TMainAction::EditCut1},
        {TBinderCommand::EditCopy1, TMainAction::EditCopy1},
        {TBinderCommand::EditPaste1, TMainAction::EditPaste1},
        {TBinderCommand::EditDelete1, TMainAction::EditDelete1},
        {TBinderCommand::ToolButton11, TMainAction::ToolButton11},
    };
    Action(actions.at(command))->setEnabled(enabled);
}

void TMainActions::UpdateCommands(bool open, const TTreeNode* node) {
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
    Action(TMainAction::SpeedButton4)->setEnabled(open && node != nullptr);
    Action(TMainAction::SpeedButton5)->setEnabled(open && node != nullptr);
    const bool unfinished = record != nullptr && record->State == CaptureState::Unfinished;
    Action(TMainAction::ToolCapture)
        ->setEnabled(open && record != nullptr && record->Kind == NodeKind::WebPage && !unfinished);
    Action(TMainAction::ToolButton13)
        ->setEnabled(open && unfinished && record->Kind == NodeKind::WebPage);
    const bool pageOrFolder = record != nullptr && (record->Kind == NodeKind::WebPage ||
                                                    record->Kind == NodeKind::Folder);
    const bool finishedPage =
        open && record != nullptr && record->Kind == NodeKind::WebPage && !unfinished;
    Action(TMainAction::ToolSyncContent)->setEnabled(finishedPage);
    if (!finishedPage) {
        // Nothing selected, or no finished page: the views leave Change URL as they last set
        // it (a page shown before), so it goes off here until they show a finished page.
        SetCommandEnabled(ViewCommand::ToolChangeURL, false);
    }
    Action(TMainAction::FileImportVelmor)->setEnabled(open && underFolder);
    Action(TMainAction::FileImportHtml)->setEnabled(open && underFolder);
    Action(TMainAction::FileSaveHtml)->setEnabled(open && pageOrFolder);
    Action(TMainAction::FileExportContent)->setEnabled(open && node != nullptr);
    // Without a selection the list is empty, and an empty file is still written.
    for (TMainAction action :
         {TMainAction::FileExportAll, TMainAction::FileSaveHtmlAll, TMainAction::FileExportList,
          TMainAction::FileExportListall, TMainAction::FileExportCHM}) {
        Action(action)->setEnabled(open);
    }
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

void TMainActions::SetCommandEnabled(ViewCommand command, bool enabled) {
    static const std::map<ViewCommand, TMainAction> actions = {
        {ViewCommand::FileNewNode, TMainAction::FileNewNode},
        {ViewCommand::FileNewFolder, TMainAction::FileNewFolder},
        {ViewCommand::FileImportVelmor, TMainAction::FileImportVelmor},
        {ViewCommand::FileImportHtml, TMainAction::FileImportHtml},
        {ViewCommand::FileAppendNode, TMainAction::FileAppendNode},
        {ViewCommand::FileAppendFolder, TMainAction::FileAppendFolder},
        {ViewCommand::ToolRefresh, TMainAction::ToolRefresh},
        {ViewCommand::FilePrint, TMainAction::FilePrint},
        {ViewCommand::Print, TMainAction::FilePrint},
        {ViewCommand::ToolSyncContent, TMainAction::ToolSyncContent},
        {ViewCommand::FileSaveHtml, TMainAction::FileSaveHtml},
        {ViewCommand::FileExportContent, TMainAction::FileExportContent},
        {ViewCommand::EditCut1, TMainAction::EditCut1},
        {ViewCommand::EditCopy1, TMainAction::EditCopy1},
        {ViewCommand::EditDelete1, TMainAction::EditDelete1},
        {ViewCommand::ViewSummary, TMainAction::ViewSummary},
        {ViewCommand::ViewNote, TMainAction::ViewNote},
        {ViewCommand::ViewBrowser, TMainAction::ViewBrowser},
        {ViewCommand::ViewDetail, TMainAction::ViewDetail},
        {ViewCommand::NavigateBack, TMainAction::ToolButton4},
        {ViewCommand::NavigateForward, TMainAction::ToolButton5},
        {ViewCommand::Stop, TMainAction::ToolButton13},
        {ViewCommand::ApplyChange, TMainAction::ApplyChange},
        {ViewCommand::CancelChange, TMainAction::CancelChange},
    };
    if (const auto found = actions.find(command); found != actions.end()) {
        Action(found->second)->setEnabled(enabled);
        return;
    }
    switch (command) {
    case ViewCommand::ToolChangeURL1:
    case ViewCommand::ToolChangeURL:
        // The menu entry and the tool button are one action, on while both would be: for a
        // finished web page only, whatever order the views enable them in.
        (command == ViewCommand::ToolChangeURL1 ? changeUrlMenu_ : changeUrlButton_) = enabled;
        Action(TMainAction::ToolChangeURL)->setEnabled(changeUrlMenu_ && changeUrlButton_);
        return;
    case ViewCommand::Browse1:
        browse1_->setEnabled(enabled);
        return;
    case ViewCommand::TextSize:
        textSize_->setEnabled(enabled);
        return;
    case ViewCommand::Edit1:
        // The notes editor's menu comes after the views are made.
        if (edit1_ != nullptr) {
            edit1_->setEnabled(enabled);
        }
        return;
    default:
        throw std::logic_error("no action for view command " +
                               std::to_string(static_cast<int>(command)));
    }
}

void TMainActions::SetEditMenu(QMenu& menu) {
    edit1_ = &menu;
    menu.setEnabled(false); // until the notes page shows
    window_.menuBar()->insertMenu(view_->menuAction(), &menu);
    // An edit is stored or thrown away from the end of the menu; opening the menu begins one.
    menu.addSeparator();
    menu.addAction(Action(TMainAction::ApplyChange));
    menu.addAction(Action(TMainAction::CancelChange));
    connect(&menu, &QMenu::aboutToShow, Action(TMainAction::OtherChanged), &QAction::trigger);
}

void TMainActions::SetViewMark(int index) {
    const TMainAction views[ViewPageCount] = {TMainAction::ViewSummary, TMainAction::ViewNote,
                                              TMainAction::ViewBrowser, TMainAction::ViewDetail};
    for (int view = 0; view < ViewPageCount; ++view) {
        Action(views[view])->setChecked(view == index);
    }
}
