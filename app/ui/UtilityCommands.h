#pragma once

// The main window's smaller commands, each run from its own menu entry or button: the options,
// a page's new address, the tips, the About box, the download manager, the read-me, the help
// file and the online support page, and the tool button that hides the side bar. The read-me
// and the help file are those installed in the work folder.

#include "app/ui/dialogs/tip.h"

#include <QObject>

#include <string>

class IBinderLifecycle;
class IUserMessages;
class ITaskQueue;
class QAction;
class TFormVelmorRnx;
struct BinderPaths;
struct TSettings;

// Where "Online &Support" leads.
inline constexpr char OnlineSupportAddress[] = "https://tarnwick.org/support";

class TUtilityCommands : public QObject {
public:
    // Adds the commands to the window's "&Tools" menu, a "&Help" menu and its tool bar.
    TUtilityCommands(TFormVelmorRnx& window, IUserMessages& messages, TSettings& settings,
                     const BinderPaths& paths, ITaskQueue& queue);

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

    TFormVelmorRnx& window_;
    IUserMessages& messages_;
    TSettings& settings_;
    const BinderPaths& paths_;
    ITaskQueue& queue_;
    IBinderLifecycle* lifecycle_ = nullptr;
    TTipClock clock_;
    ShellErrorBox errorBox_;
};
