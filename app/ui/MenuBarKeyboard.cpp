#include "app/ui/MenuBarKeyboard.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionMenuItem>

namespace {

// The bar's look, with the title it holds the keyboard at lit: some styles (Fusion) light a
// title only while its menu is open, and nothing would show that the letters typed now open
// menus.
class TMenuBarStyle : public QProxyStyle {
public:
    explicit TMenuBarStyle(const QString& base) : QProxyStyle(base) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item != nullptr && widget != nullptr &&
            widget->hasFocus() && (item->state & State_Selected)) {
            QStyleOptionMenuItem lit(*item);
            lit.state |= State_Sunken;
            QProxyStyle::drawControl(element, &lit, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

TMenuBarKeyboard::TMenuBarKeyboard(QMainWindow& window)
    : QObject(&window), bar_(*window.menuBar()), barAlive_(&bar_),
      look_(std::make_unique<TMenuBarStyle>(bar_.style()->name())) {
    setObjectName("MenuBarKeyboard");
    bar_.setStyle(look_.get());
    bar_.installEventFilter(this);
    for (QAction* entry : bar_.actions()) {
        Follow(entry->menu<QMenu*>());
    }
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    f10->setContext(Qt::WindowShortcut);
    connect(f10, &QShortcut::activated, this, [this] { OpenFirstMenu(); });
}

TMenuBarKeyboard::~TMenuBarKeyboard() {
    // The window's children may go in any order: the bar never keeps a look that is gone.
    if (barAlive_ != nullptr) {
        barAlive_->setStyle(nullptr);
    }
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
