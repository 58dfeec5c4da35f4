#pragma once

// A real window manager (openbox) on the test's display, and the X server's own tools (xdotool,
// xset) run from a test: keys and clicks come as a person's do, from the X server.

#include "tests/app_ui/UiTestSupport.h"

#include <QProcess>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>

// Runs a tool of the X server's and answers what it wrote, or null when it failed.
inline std::optional<std::string> RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        return std::nullopt;
    }
    return tool.readAllStandardOutput().toStdString();
}

inline bool WindowManagerRuns() {
    const auto answer = RunTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
    return answer && answer->find("window id") != std::string::npos;
}

// openbox on this display for as long as it lives (unless a window manager runs already), and
// the keyboard's repeat off: a key that a busy machine holds down for a moment stays one key.
class WindowManager {
public:
    WindowManager() {
        if (!WindowManagerRuns()) {
            openbox_.start("openbox", {"--sm-disable"});
            if (!openbox_.waitForStarted(20000)) {
                return;
            }
        }
        up_ = WaitUntil(WindowManagerRuns, std::chrono::seconds(30)) &&
              RunTool("xset", {"r", "off"}).has_value();
    }
    ~WindowManager() {
        (void)RunTool("xset", {"r", "on"});
        if (openbox_.state() != QProcess::NotRunning) {
            openbox_.terminate();
            if (!openbox_.waitForFinished(10000)) {
                openbox_.kill();
                openbox_.waitForFinished(10000);
            }
        }
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    bool Up() const { return up_; }

private:
    QProcess openbox_;
    bool up_ = false;
};
