#include "app/ui/dialogs/CSpinEdit.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

TCSpinEdit::TCSpinEdit(QWidget* parent, int minValue, int maxValue, int value, int step)
    : QSpinBox(parent) {
    setRange(minValue, maxValue);
    setSingleStep(step);
    setValue(value);
}

void LayOutLabelledEdits(QWidget& box,
                         std::initializer_list<std::pair<QLabel*, TCSpinEdit*>> rows) {
    auto* grid = new QGridLayout(&box);
    int row = 0;
    for (const auto& [label, edit] : rows) {
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
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
