#pragma once

// TCSpinEdit: a whole-number spin box with its range, step and starting value given at once,
// as the table dialogs lay them out.

#include <QSpinBox>

class TCSpinEdit : public QSpinBox {
public:
    TCSpinEdit(QWidget* parent, int minValue, int maxValue, int value, int step = 1);
};

// Puts a dialog in the middle of the screen its owner is on (or the primary screen).
void CentreOnScreen(QWidget& dialog);
