#include "app/ui/UtilityCommands.h"

#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/ui/MainActions.h"
#include "app/ui/ShellBox.h"
#include "app/ui/dialogs/URLDlg.h"
#include "app/ui/dialogs/UnitOption.h"
#include "app/ui/dialogs/about.h"
#include "app/ui/dialogs/downloadmgr.h"
#include "app/ui/views/NodeViews.h"
#include "platform/base/Files.h"
#include "platform/base/QtText.h"
#include "platform/base/TreeNode.h"
#include "platform/widgets/Control.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

constexpr char ReadMeFile[] = "readme.txt";
constexpr char HelpFile[] = "tqzhelp.chm";

// The menu of the window's menu bar with this caption; made when there is none yet.
QMenu* MenuOf(QMainWindow& window, const char* caption) {
    for (QAction* entry : window.menuBar()->actions()) {
        if (entry->menu() != nullptr && entry->text() == caption) {
            return entry->menu();
        }
    }
    return window.menuBar()->addMenu(caption);
}

} // namespace

TUtilityCommands::TUtilityCommands(TUtilityParts parts)
    : QObject(&parts.Window), parts_(std::move(parts)), window_(parts_.Window),
      settings_(parts_.Settings), errorBox_(ShellMessageBox()) {
    setObjectName("UtilityCommands");
    BuildMenus();
}

QAction* TUtilityCommands::AddAction(const char* name, const char* caption, const char* hint,
                                     void (TUtilityCommands::*command)()) {
    auto* action = new QAction(caption, &window_);
    action->setObjectName(name);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this,
            [this, command] { GuardEvent([this, command] { (this->*command)(); }); });
    return action;
}

void TUtilityCommands::BuildMenus() {
    QMenu* tools = MenuOf(window_, "&Tools");
    tools->addSeparator();
    // The views enable Change URL (menu entry and tool button) by the selected node.
    QAction* changeUrl = parts_.Actions.Action(TMainAction::ToolChangeURL);
    connect(changeUrl, &QAction::triggered, this,
            [this] { GuardEvent([this] { ToolChangeURLExecute(); }); });
    tools->addAction(changeUrl);
    QAction* downloads = AddAction("DownloadManager", "Download Manager",
                                   "List the download tasks and cancel waiting ones",
                                   &TUtilityCommands::DownloadManagerExecute);
    downloads->setShortcut(QKeySequence("Ctrl+D"));
    tools->addAction(downloads);
    tools->addSeparator();
    tools->addAction(AddAction("Options", "&Options...", "Change the options",
                               &TUtilityCommands::OptionsExecute));

    QMenu* help = MenuOf(window_, "&Help");
    help->addAction(AddAction("HelpContent", "&Contents", "Open the help file",
                              &TUtilityCommands::HelpContentExecute));
    help->addAction(
        AddAction("ReadMe1", "&Read Me", "Open the read-me file", &TUtilityCommands::ReadMe1Click));
    help->addAction(AddAction("TipsofTheDay1", "&Tip of The Day", "Show the tips",
                              &TUtilityCommands::TipsofTheDay1Click));
    help->addAction(AddAction("OnlineSupport1", "Online &Support", "Open the support page",
                              &TUtilityCommands::OnlineSupport1Click));
    help->addSeparator();
    help->addAction(AddAction("HelpAbout", "&About...", "Show the program and binder",
                              &TUtilityCommands::HelpAboutExecute));

    if (auto* toolBar = window_.findChild<QToolBar*>("ToolBar1")) {
        QAction* hide = AddAction("ToolButton62", "Hide leftside bar", "Hide the side bar",
                                  &TUtilityCommands::ToolButton62Click);
        toolBar->insertAction(toolBar->actions().value(0), hide);
    }
}

std::string TUtilityCommands::InstalledFile(const char* name) const {
    return JoinPath(settings_.WorkDir, name);
}

void TUtilityCommands::OptionsExecute() {
    TOptionDlg dialog(&window_);
    dialog.LoadFrom(settings_);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.StoreInto(settings_);
    }
    if (dialog.ReloadNeeded() && lifecycle_ != nullptr) {
        lifecycle_->ReloadBinder();
    }
}

void TUtilityCommands::ToolChangeURLExecute() {
    TTreeNode* node = parts_.Binder.Selected();
    if (node == nullptr) {
        parts_.Messages.ShowMessage("No node selected");
        return;
    }
    TNodeViews& views = parts_.Views;
    views.SetEditingNode(node);
    TDlgChgurl dialog(&window_);
    if (const TPageInfo* record = NodeRecord(node)) {
        dialog.SetUrl(record->RequestedUrl);
    }
    if (dialog.exec() == QDialog::Accepted) {
        views.ChangeUrlAccepted(dialog.Url());
        // The capture's start has stored the page as unfinished under its new address, so an
        // ending or a crash before that address answers captures it again at the next open;
        // an address that was kept is written here all the same.
        parts_.Binder.Save();
    }
}

void TUtilityCommands::HelpAboutExecute() {
    TAboutBox box(&window_, parts_.Paths);
    box.exec();
}

void TUtilityCommands::TipsofTheDay1Click() {
    TForm1 tip(&window_, clock_, InstalledFile(HelpFile), errorBox_);
    tip.SetShowTips(settings_.ShowTips);
    tip.exec();
    settings_.ShowTips = tip.ShowTips();
}

void TUtilityCommands::DownloadManagerExecute() {
    TForm8 manager(&window_, parts_.Queue);
    manager.exec();
}

void TUtilityCommands::ReadMe1Click() {
    ShellOpen(InstalledFile(ReadMeFile), errorBox_);
}

void TUtilityCommands::HelpContentExecute() {
    ShellOpen(InstalledFile(HelpFile), errorBox_);
}

void TUtilityCommands::OnlineSupport1Click() {
    ShellOpen(OnlineSupportAddress, errorBox_);
}

void TUtilityCommands::ToolButton62Click() {
    if (parts_.ViewLeftSideBar) {
        parts_.ViewLeftSideBar();
    }
}
