#pragma once

// The notification-area icon of the main window with its menu PopupMenu1 ("&Open", "&Exit").
// Its mouse events reach the window as message 3021 (WM_TRAYICON), as the icon's callback
// message carries them. Without a notification area there is no icon, and the window is then
// never hidden to it.

#include <QObject>

#include <cstdint>
#include <memory>

class MessageTarget;
class QIcon;
class QMenu;
class QSystemTrayIcon;
class QWidget;

inline constexpr uint32_t WM_TRAYICON = 3021;
// Mouse events of the icon, as its callback message carries them.
inline constexpr intptr_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr intptr_t WM_RBUTTONDOWN = 0x204;

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    TTrayIcon(QWidget& window, MessageTarget& target, const QIcon& icon);
    ~TTrayIcon() override;

    bool Present() const { return tray_ != nullptr; }
    void Remove();
    // Shows PopupMenu1 at the mouse.
    void Popup();

signals:
    void OpenChosen();
    void ExitChosen();

private:
    QMenu* popupMenu1_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};
