#include "platform/widgets/KeyLocks.h"

#include "platform/widgets/Input.h"

#include <QGuiApplication>

// After Qt: the X headers define macros (None, Bool) that Qt's headers use as names.
#include <X11/XKBlib.h>

bool IsKeyToggled(uint16_t virtualKey) {
    const char* indicator = virtualKey == VK_NUMLOCK   ? "Num Lock"
                            : virtualKey == VK_CAPITAL ? "Caps Lock"
                            : virtualKey == VK_SCROLL  ? "Scroll Lock"
                                                       : nullptr;
    if (!indicator || !qGuiApp) {
        return false;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) {
        return false;
    }
    Atom atom = XInternAtom(display, indicator, True);
    Bool on = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on != False;
}
