#include "app/ui/Placeholders.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

QWidget* MakePlaceholder(const char* name, QWidget* parent) {
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

TfrmPreview::TfrmPreview(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmPreview");
}

TForm1::TForm1(QWidget* owner)
    : QDialog(owner), CheckBox1(new QCheckBox("Show Tips at Startup", this)) {
    setObjectName("Form1");
    setWindowTitle("Tip of The Day");
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(CheckBox1);
    layout->addStretch();
    layout->addWidget(ok);
}

bool TForm1::ShowTips() const {
    return CheckBox1->isChecked();
}

void TForm1::SetShowTips(bool show) {
    CheckBox1->setChecked(show);
}
