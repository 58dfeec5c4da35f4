#pragma once

// TCSpinEdit: a whole-number spin box with its range, step and starting value given at once,
// as the table dialogs lay them out.

#include <QSpinBox>

#include <initializer_list>
#include <utility>

class QLabel;

class TCSpinEdit : public QSpinBox {
public:
    TCSpinEdit(QWidget* parent, int minValue, int maxValue, int value, int step = 1);
};

// Lays each label beside its spin edit, one pair a row, the label naming the edit for keyboard
// focus.
void LayOutLabelledEdits(QWidget& box, std::initializer_list<std::pair<QLabel*, TCSpinEdit*>> rows);

// Puts a dialog in the middle of the screen its owner is on (or the primary screen).
void CentreOnScreen(QWidget& dialog);
