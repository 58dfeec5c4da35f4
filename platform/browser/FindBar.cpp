#include "platform/browser/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

TFindBar::TFindBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(tr("Find in page"));
    auto* previous = new QToolButton(this);
    previous->setText(tr("Previous"));
    auto* next = new QToolButton(this);
    next->setText(tr("Next"));
    auto* close = new QToolButton(this);
    close->setText(tr("Close"));
    layout->addWidget(field_, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);

    const auto find = [this](bool backward) {
        if (OnFind) {
            OnFind(field_->text(), backward);
        }
    };
    connect(field_, &QLineEdit::returnPressed, this, [find] { find(false); });
    connect(field_, &QLineEdit::textChanged, this, [find] { find(false); });
    connect(next, &QToolButton::clicked, this, [find] { find(false); });
    connect(previous, &QToolButton::clicked, this, [find] { find(true); });
    connect(close, &QToolButton::clicked, this, [this] {
        field_->clear();
        hide();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, close, &QToolButton::click);
    hide();
}

void TFindBar::Open() {
    show();
    field_->setFocus();
    field_->selectAll();
}
