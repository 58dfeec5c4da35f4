#pragma once

// The `main` of a benchmark that drives the real main window offscreen: the application, the
// table item class, the main-thread invoker served by the event loop, and an orderly end in
// which what the window posted last is handled before the invoker goes.

#include "app/binder/BinderPaths.h"
#include "app/binder/Settings.h"
#include "app/capture/taskqueue.h"
#include "app/ui/FormVelmorRnx.h"
#include "platform/base/EventLoopInvoker.h"
#include "platform/base/Invoker.h"
#include "platform/base/MemorySettingsStore.h"
#include "richtext/tables/RNTable.h"

#include "BenchSupport.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace bench {

// The program's main window on settings, paths and a task queue of its own, in a start folder
// of its own; `Show` runs its start-up once the bench has attached what it needs.
struct MainWindow {
    TempStore Start;
    MemorySettingsStore Store;
    TSettings Settings;
    BinderPaths Paths;
    TaskQueue Queue;
    std::unique_ptr<TFormVelmorRnx> Window;

    MainWindow() {
        Settings.AskBeforeClose = false;
        Window = std::make_unique<TFormVelmorRnx>(
            TMainWindowParts{Store, Settings, Paths, Queue, {"tarnwick"}, Start.Str()});
    }
    ~MainWindow() {
        Queue.Stop();
        Window.reset();
    }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void Show() {
        Window->FormCreate(nullptr);
        Window->show();
        QCoreApplication::processEvents();
    }
};

// `run` makes the window and runs the benchmarks; it returns before the application ends.
template <class Run> int RunWithMainWindow(int argc, char** argv, Run run) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The embedded browser may run as root here, without a GPU.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication application(argc, argv);
    RegisterTableItemClass();
    QApplication::setQuitOnLastWindowClosed(false);
    MainThreadInvoker invoker;
    SetInvoker(&invoker);
    BindInvokerToEventLoop(invoker);
    benchmark::Initialize(&argc, argv);
    run();
    benchmark::Shutdown();
    invoker.SetWake(nullptr);
    QCoreApplication::processEvents();
    invoker.Drain();
    invoker.Shutdown();
    SetInvoker(nullptr);
    return 0;
}

} // namespace bench
