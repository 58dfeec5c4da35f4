#pragma once

// The main window's smaller commands, each run from its own menu entry or button: the options,
// a page's new address, the tips, the About box, the download manager, the read-me, the help
// file and the online support page, and the tool button that hides the side bar. The read-me
// and the help file are those installed in the work folder.

#include "app/ui/dialogs/tip.h"

#include <QObject>

#include <functional>
#include <string>

class IBinderLifecycle;
class IUserMessages;
class ITaskQueue;
class QAction;
class QMainWindow;
class TMainActions;
class TBinderTree;
class TNodeViews;
struct BinderPaths;
struct TSettings;

// Where "Online &Support" leads.
inline constexpr char OnlineSupportAddress[] = "https://tarnwick.org/support";

// What the commands work with; everything must outlive them.
struct TUtilityParts {
    QMainWindow& Window; // its menus and tool bar, and the owner of the dialogs
    TMainActions& Actions;
    TBinderTree& Binder; // for the selected node, and written once a page's address changed
    TNodeViews& Views;
    IUserMessages& Messages;
    TSettings& Settings;
    const BinderPaths& Paths;
    ITaskQueue& Queue;
    std::function<void()> ViewLeftSideBar; // the window's side-bar toggle
};

class TUtilityCommands : public QObject {
public:
    // Adds the commands to the window's "&Tools" menu, a "&Help" menu and its tool bar.
    explicit TUtilityCommands(TUtilityParts parts);

    void SetLifecycle(IBinderLifecycle* lifecycle) { lifecycle_ = lifecycle; }
    // The day the tip form starts from; today when never set.
    void SetTipClock(TTipClock clock) { clock_ = std::move(clock); }
    // A file of the installation: the work folder and the name.
    std::string InstalledFile(const char* name) const;

    void OptionsExecute();
    void ToolChangeURLExecute();
    void HelpAboutExecute();
    void TipsofTheDay1Click(); // also the tip at start-up
    void DownloadManagerExecute();
    void ReadMe1Click();
    void HelpContentExecute();
    void OnlineSupport1Click();
    void ToolButton62Click();

private:
    QAction* AddAction(const char* name, const char* caption, const char* hint,
                       void (TUtilityCommands::*command)());
    void BuildMenus();

    TUtilityParts parts_;
    QMainWindow& window_;
    TSettings& settings_;
    IBinderLifecycle* lifecycle_ = nullptr;
    TTipClock clock_;
    ShellErrorBox errorBox_;
};
