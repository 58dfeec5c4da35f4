#pragma once

// A pair of arrow buttons that belongs to no edit: its owner reads and writes the number
// itself on each click.

#include <QWidget>

#include <functional>

class QToolButton;

class TUpDown : public QWidget {
public:
    explicit TUpDown(QWidget* parent);

    // Called with true for the upper button, false for the lower one.
    std::function<void(bool up)> OnClick;

    QToolButton* UpButton;
    QToolButton* DownButton;
};
