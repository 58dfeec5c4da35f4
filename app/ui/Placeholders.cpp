#include "app/ui/Placeholders.h"

QWidget* MakePlaceholder(const char* name, QWidget* parent) {
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

TfrmPreview::TfrmPreview(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmPreview");
}
