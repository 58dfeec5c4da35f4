#include "app/ui/dialogs/CSpinEdit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

TCSpinEdit::TCSpinEdit(QWidget* parent, int minValue, int maxValue, int value, int step)
    : QSpinBox(parent) {
    setRange(minValue, maxValue);
    setSingleStep(step);
    setValue(value);
}

void CentreOnScreen(QWidget& dialog) {
    const QWidget* owner = dialog.parentWidget();
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog.move(frame.topLeft());
}
