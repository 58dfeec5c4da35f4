#include "app/ui/MenuBarKeyboard.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

TMenuBarKeyboard::TMenuBarKeyboard(QMainWindow& window)
    : QObject(&window), bar_(*window.menuBar()) {
    setObjectName("MenuBarKeyboard");
    bar_.installEventFilter(this);
    for (QAction* entry : bar_.actions()) {
        Follow(entry->menu<QMenu*>());
    }
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    f10->setContext(Qt::WindowShortcut);
    connect(f10, &QShortcut::activated, this, [this] { OpenFirstMenu(); });
}

void TMenuBarKeyboard::OpenFirstMenu() {
    for (QAction* entry : bar_.actions()) {
        if (entry->menu<QMenu*>() != nullptr && entry->isVisible() && entry->isEnabled()) {
            bar_.setActiveAction(entry);
            return;
        }
    }
}

void TMenuBarKeyboard::Follow(QMenu* menu) {
    if (menu != nullptr) {
        menu->installEventFilter(this);
    }
}

bool TMenuBarKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_) {
        if (event->type() == QEvent::ActionAdded) {
            Follow(static_cast<QActionEvent*>(event)->action()->menu<QMenu*>());
        }
        return false;
    }
    // A menu of the bar: while the bar has the keyboard (Alt, Alt and a letter), Escape goes
    // back to the bar as Qt has it; when the keyboard is elsewhere (the menu was opened with the
    // mouse, or with F10) Escape closes the menu and the keyboard stays there.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        QApplication::focusWidget() != &bar_) {
        static_cast<QMenu*>(watched)->hide();
        return true;
    }
    return false;
}
