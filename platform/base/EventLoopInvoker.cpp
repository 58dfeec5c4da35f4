#include "platform/base/EventLoopInvoker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

void BindInvokerToEventLoop(MainThreadInvoker& invoker) {
    QPointer<QCoreApplication> app = QCoreApplication::instance();
    invoker.SetWake([app, &invoker] {
        if (app) {
            QMetaObject::invokeMethod(
                app, [&invoker] { invoker.Drain(); }, Qt::QueuedConnection);
        }
    });
}
