#include "app/ui/dialogs/OKRightDlg.h"

#include "app/binder/commands/BinderUi.h"
#include "platform/base/QtText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TOKRightDlg::TOKRightDlg(QWidget* owner) : QDialog(owner) {
    setObjectName("OKRightDlg");
    setWindowTitle("Dialog");
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::StyledPanel);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    connect(OKBtn, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(TModalResult::Ok)); });
    connect(CancelBtn, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(TModalResult::Cancel)); });

    buttons_ = new QVBoxLayout;
    buttons_->addWidget(OKBtn);
    buttons_->addWidget(CancelBtn);
    buttons_->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Bevel1, 1);
    layout->addLayout(buttons_);
}

TOKHelpRightDlg::TOKHelpRightDlg(QWidget* owner) : TOKRightDlg(owner) {
    setObjectName("OKHelpRightDlg");
    setWindowTitle("Search  Dialog");
    resize(401, 400);
    Label6 = new QLabel("Search For Pages", Bevel1);
    QFont heading = Label6->font();
    heading.setBold(true);
    Label6->setFont(heading);
    Memo1 = new QPlainTextEdit(Bevel1);
    Memo1->setObjectName("Memo1");
    const auto line = [this](const char* name) {
        auto* edit = new QLineEdit(Bevel1);
        edit->setObjectName(name);
        return edit;
    };
    Edit1 = line("Edit1");
    Edit3 = line("Edit3");
    Edit5 = line("Edit5");
    Edit4 = line("Edit4");
    CheckBox1 = new QCheckBox("Match Whole Words Only", Bevel1);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox("Match Similar Words", Bevel1);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setChecked(true);
    HelpBtn = new QPushButton("&Help", this);
    HelpBtn->setObjectName("HelpBtn");
    buttons_->insertWidget(2, HelpBtn);

    auto* form = new QFormLayout(Bevel1);
    form->addRow(Label6);
    form->addRow("Full Text", Memo1);
    form->addRow("Title Containing", Edit1);
    form->addRow("MetaData Containing", Edit3);
    form->addRow("URL Containing", Edit5);
    form->addRow("Links  Containing", Edit4);
    form->addRow(CheckBox1);
    form->addRow(CheckBox2);
}

TSearchCriteria TOKHelpRightDlg::Criteria() const {
    TSearchCriteria criteria;
    criteria.FullText = FromQ(Memo1->toPlainText());
    criteria.Title = FromQ(Edit1->text());
    criteria.Meta = FromQ(Edit3->text());
    criteria.Url = FromQ(Edit5->text());
    criteria.Links = FromQ(Edit4->text());
    criteria.WholeWords = CheckBox1->isChecked();
    criteria.SimilarWords = CheckBox2->isChecked();
    return criteria;
}
