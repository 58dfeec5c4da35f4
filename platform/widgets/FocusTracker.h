#pragma once

// Which widget had the keyboard focus before the one that has it now: a control that takes
// the focus asks where it came from. The widgets are held as guarded pointers.

#include <QObject>
#include <QPointer>
#include <QWidget>

class TFocusTracker : public QObject {
public:
    // The application's tracker; made at the first call.
    static TFocusTracker& Instance();

    // The widget that had the focus before `widget` got it; null when unknown or gone.
    QWidget* Before(const QWidget* widget) const;

private:
    TFocusTracker();
    QPointer<QWidget> previous_;
    QPointer<QWidget> current_;
};
