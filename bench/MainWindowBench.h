#pragma once

// The `main` of a benchmark that drives the real main window offscreen: the application, the
// table item class, the main-thread invoker served by the event loop, and an orderly end in
// which what the window posted last is handled before the invoker goes.

#include "platform/base/EventLoopInvoker.h"
#include "platform/base/Invoker.h"
#include "richtext/tables/RNTable.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace bench {

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
