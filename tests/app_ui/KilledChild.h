#pragma once

// What the tests that kill the program share: this test program run again as a child that runs
// one test (the program's own window in it) until it says it is done, then killed with SIGKILL,
// as by a crash or a power cut, or sent a signal that asks it to end; and the binder it left
// opened again, as the program opens it.

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeCaptureStarter.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/ShellTestEnv.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

// How a child run by a test went: whether it said its line, and how it ended after the signal.
struct ChildEnd {
    bool Said = false;
    bool Ended = false;  // within a minute of the signal
    bool Exited = false; // by itself, not killed by the signal
    int ExitCode = -1;
    std::string Errors; // what it wrote to its error output
};

// Runs the test `test` of this program in a child, reads what it writes until it says `line`
// (or ends, or three minutes pass), then until `ready` holds when one is given (what the child
// has done that only this program sees, such as a request to its server), waits `after`, and
// sends it `signal`; then waits for its end. What it wrote to its error output is passed on to
// this program's.
inline ChildEnd SignalChildOnceItSays(const std::string& test, const std::string& line, int signal,
                                      std::chrono::milliseconds after = {},
                                      const std::function<bool()>& ready = nullptr) {
    IsolatedShell shell; // the child's instance channel is its own
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromStdString("--gtest_filter=" + test)});
    ChildEnd end;
    if (!child.waitForStarted(20000)) {
        ADD_FAILURE() << "the child did not start";
        return end;
    }
    std::string said;
    const auto read = [&] {
        said += child.readAllStandardOutput().toStdString();
        end.Errors += child.readAllStandardError().toStdString();
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(180);
    while (said.find(line) == std::string::npos && child.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline) {
        if (child.waitForReadyRead(50)) {
            read();
        }
    }
    end.Said = said.find(line) != std::string::npos;
    while (end.Said && ready && !ready() && child.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline) {
        if (child.waitForReadyRead(5)) {
            read();
        }
    }
    const bool wasReady = !ready || ready();
    if (end.Said) {
        std::this_thread::sleep_for(after);
    }
    const auto process = static_cast<pid_t>(child.processId());
    ::kill(process, signal);
    end.Ended = child.waitForFinished(60000);
    if (!end.Ended) {
        child.kill();
        child.waitForFinished(20000);
    }
    IsolatedShell::RemoveBlocksOf(process);
    read();
    end.Exited = end.Ended && child.exitStatus() == QProcess::NormalExit;
    end.ExitCode = end.Exited ? child.exitCode() : -1;
    std::fputs(end.Errors.c_str(), stderr);
    EXPECT_TRUE(end.Said) << said;
    EXPECT_TRUE(wasReady) << "the child was killed before it was ready";
    end.Said = end.Said && wasReady;
    return end;
}

// Runs the test `test` of this program in a child, reads what it writes until it says `line`
// (or ends, or three minutes pass), waits until `ready` holds when one is given, waits `after`,
// and kills it. True when it said the line and was ready.
inline bool KillChildOnceItSays(const std::string& test, const std::string& line,
                                std::chrono::milliseconds after = {},
                                const std::function<bool()>& ready = nullptr) {
    return SignalChildOnceItSays(test, line, SIGKILL, after, ready).Said;
}

// The program as a child that a test runs starts it: in `folder`, over an invoker, an instance
// channel and settings of its own. `Program` is null when it did not start.
struct ChildProgram {
    explicit ChildProgram(const std::string& folder) : Program(StartProgram(folder, Store)) {}
    ScopedEventLoopInvoker Invoker;
    IsolatedShell Shell;
    MemorySettingsStore Store;
    std::unique_ptr<TProgram> Program;
};

// A web page for `url` titled "Root", added at the top of the program's binder, saved and
// selected, as the root of a capture is; null when it could not be added.
inline TTreeNode* AddRootPage(TProgram& program, const std::string& url) {
    auto root = std::make_unique<TPageInfo>();
    root->RequestedUrl = url;
    root->Title = "Root";
    return program.Window()->Binder().CreateNode(NodeKind::WebPage, TInsertMode::Child, true,
                                                 std::move(root));
}

// The top-level node titled so; null when there is none.
inline TTreeNode* TopLevel(const TTreeNodes& tree, const std::string& title) {
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        if (NodeRecord(tree.TopLevelItem(i))->Title == title) {
            return tree.TopLevelItem(i);
        }
    }
    return nullptr;
}

// The binder lifecycle over fakes, as the program runs it without a window.
struct BinderOverFakes {
    BinderOverFakes() = default;
    BinderOverFakes(const BinderOverFakes&) = delete;
    BinderOverFakes& operator=(const BinderOverFakes&) = delete;

    FakeBinderUi Ui;
    FakeTaskQueue Queue;
    FakeCaptureStarter Capture;
    TSettings Settings;
    BinderPaths Paths;
    MemorySettingsStore Store;
    TBinderTree Tree{Queue, Settings, Paths};
    TBinderTreeCommands TreeCommands{Ui.Roles(), Tree, Settings, Paths};
    TBinderLifecycle Lifecycle{Ui.Roles(), Queue, Capture, Settings, Store, Paths, TreeCommands};
};

// A binder file opened again over fakes, as the program opens a binder, and closed at the end.
struct ReopenedBinder : BinderOverFakes {
    explicit ReopenedBinder(const std::string& binderFile) {
        Opened = Lifecycle.OpenBinder(binderFile);
    }
    ~ReopenedBinder() { Lifecycle.CloseBinder(); }

    bool Opened = false;
};
