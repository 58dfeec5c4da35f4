#include "app/ui/dialogs/FindDialog.h"

#include "platform/base/QtText.h"
#include "platform/widgets/Control.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FindDialog1");
    setWindowTitle("Find");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("Fi&nd what:", this);
    label->setObjectName("FindWhatLabel");
    row->addWidget(label);
    text_ = new QLineEdit(this);
    // The label's Alt+N reaches the field, and the "&" shows as the underlined key.
    label->setBuddy(text_);
    row->addWidget(text_, 1);
    layout->addLayout(row);
    auto* options = new QHBoxLayout;
    matchCase_ = new QCheckBox("Match &case", this);
    options->addWidget(matchCase_);
    auto* direction = new QGroupBox("Direction", this);
    auto* directionLayout = new QHBoxLayout(direction);
    up_ = new QRadioButton("&Up", direction);
    down_ = new QRadioButton("&Down", direction);
    down_->setChecked(true);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    options->addWidget(direction);
    layout->addLayout(options);
    auto* buttons = new QDialogButtonBox(this);
    findNext_ = buttons->addButton("&Find Next", QDialogButtonBox::ActionRole);
    findNext_->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(findNext_, &QPushButton::clicked, this, [this] {
        if (OnFind) {
            GuardEvent(OnFind);
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string TFindDialog::FindText() const {
    return FromQ(text_->text());
}

void TFindDialog::SetFindText(const std::string& text) {
    text_->setText(ToQ(text));
}

TFindOptions TFindDialog::Options() const {
    TFindOptions options;
    if (down_->isChecked()) {
        options.Include(TFindOption::frDown);
    }
    if (matchCase_->isChecked()) {
        options.Include(TFindOption::frMatchCase);
    }
    return options;
}

void TFindDialog::SetOptions(TFindOptions options) {
    down_->setChecked(options.Contains(TFindOption::frDown));
    up_->setChecked(!options.Contains(TFindOption::frDown));
    matchCase_->setChecked(options.Contains(TFindOption::frMatchCase));
}
