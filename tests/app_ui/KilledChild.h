#pragma once

// What the tests that kill the program share: this test program run again as a child that runs
// one test (the program's own window in it) until it says it is done, then killed with SIGKILL,
// as by a crash or a power cut; and the binder it left opened again, as the program opens it.

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeCaptureStarter.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/ShellTestEnv.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

// Runs the test `test` of this program in a child, reads what it writes until it says `line`
// (or ends, or three minutes pass), waits `after`, and kills it. True when it said the line.
inline bool KillChildOnceItSays(const std::string& test, const std::string& line,
                                std::chrono::milliseconds after = {}) {
    IsolatedShell shell; // the child's instance channel is its own
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromStdString("--gtest_filter=" + test)});
    if (!child.waitForStarted(20000)) {
        ADD_FAILURE() << "the child did not start";
        return false;
    }
    std::string said;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(180);
    while (said.find(line) == std::string::npos && child.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline) {
        if (child.waitForReadyRead(50)) {
            said += child.readAllStandardOutput().toStdString();
        }
    }
    const bool saidIt = said.find(line) != std::string::npos;
    if (saidIt) {
        std::this_thread::sleep_for(after);
    }
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished(20000);
    EXPECT_TRUE(saidIt) << said;
    return saidIt;
}

// A binder file opened again over fakes, as the program opens a binder, and closed at the end.
struct ReopenedBinder {
    explicit ReopenedBinder(const std::string& binderFile) {
        Opened = Lifecycle.OpenBinder(binderFile);
    }
    ~ReopenedBinder() { Lifecycle.CloseBinder(); }
    ReopenedBinder(const ReopenedBinder&) = delete;
    ReopenedBinder& operator=(const ReopenedBinder&) = delete;

    FakeBinderUi Ui;
    FakeTaskQueue Queue;
    FakeCaptureStarter Capture;
    TSettings Settings;
    BinderPaths Paths;
    MemorySettingsStore Store;
    TBinderTree Tree{Queue, Settings, Paths};
    TBinderTreeCommands TreeCommands{Ui.Roles(), Tree, Settings, Paths};
    TBinderLifecycle Lifecycle{Ui.Roles(), Queue, Capture, Settings, Store, Paths, TreeCommands};
    bool Opened = false;
};
