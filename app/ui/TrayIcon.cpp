#include "app/ui/TrayIcon.h"

#include "platform/base/PostedMessage.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

constexpr char TrayTip[] = "Tarnwick - a page collection tool";

} // namespace

TTrayIcon::TTrayIcon(QWidget& window, MessageTarget& target, const QIcon& icon)
    : QObject(&window), popupMenu1_(new QMenu(&window)) {
    popupMenu1_->setObjectName("PopupMenu1");
    QAction* open3 = popupMenu1_->addAction("&Open");
    open3->setObjectName("Open3");
    connect(open3, &QAction::triggered, this, &TTrayIcon::OpenChosen);
    QAction* exit2 = popupMenu1_->addAction("&Exit");
    exit2->setObjectName("Exit2");
    connect(exit2, &QAction::triggered, this, &TTrayIcon::ExitChosen);
    // Without a notification area the icon could not be reached, and a window hidden to it
    // could never come back.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    tray_ = std::make_unique<QSystemTrayIcon>(icon);
    tray_->setToolTip(TrayTip);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [&target](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    PostMessageTo(&target, {WM_TRAYICON, 9, WM_LBUTTONDBLCLK, {}});
                } else if (reason == QSystemTrayIcon::Context) {
                    PostMessageTo(&target, {WM_TRAYICON, 9, WM_RBUTTONDOWN, {}});
                }
            });
    tray_->show();
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::Remove() {
    tray_.reset();
}

void TTrayIcon::Popup() {
    popupMenu1_->popup(QCursor::pos());
}
