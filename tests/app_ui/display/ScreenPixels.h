#pragma once

// What the X server shows of a widget: its pixels read back from the screen, not painted anew.

#include <QImage>
#include <QRect>
#include <QScreen>
#include <QWidget>

// The screen's picture of `area`, given in the widget's own coordinates.
inline QImage ScreenPixels(QWidget& widget, const QRect& area) {
    const QPoint origin = widget.mapToGlobal(area.topLeft());
    return widget.screen()
        ->grabWindow(0, origin.x(), origin.y(), area.width(), area.height())
        .toImage();
}
