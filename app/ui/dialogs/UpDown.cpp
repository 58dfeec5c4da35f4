#include "app/ui/dialogs/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, bool up) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFixedSize(16, 11);
        connect(button, &QToolButton::clicked, this, [this, up] {
            if (OnClick) {
                OnClick(up);
            }
        });
        layout->addWidget(button);
        return button;
    };
    UpButton = make(Qt::UpArrow, true);
    DownButton = make(Qt::DownArrow, false);
}
