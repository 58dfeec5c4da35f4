#include "platform/widgets/Messages.h"

#include <QCoreApplication>

QEvent::Type TMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostMessage(QObject* receiver, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (receiver) {
        QCoreApplication::postEvent(receiver, new TMessageEvent({msg, wParam, lParam, 0}));
    }
}
