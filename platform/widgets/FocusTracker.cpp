#include "platform/widgets/FocusTracker.h"

#include <QApplication>

TFocusTracker::TFocusTracker() {
    current_ = QApplication::focusWidget();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        previous_ = old;
        current_ = now;
    });
}

TFocusTracker& TFocusTracker::Instance() {
    static TFocusTracker* tracker = new TFocusTracker;
    return *tracker;
}

QWidget* TFocusTracker::Before(const QWidget* widget) const {
    // The focus-in event may come before or after the application's notice of the change.
    return current_ == widget ? previous_.data() : current_.data();
}
