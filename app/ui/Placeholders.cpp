#include "app/ui/Placeholders.h"

#include "app/binder/PageInfo.h"
#include "app/ui/QtText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

TNewBinderPlaceholder::TNewBinderPlaceholder(QWidget* owner, const std::string& defaultFolder)
    : QDialog(owner), folder_(new QLineEdit(ToQ(defaultFolder), this)),
      name_(new QLineEdit("Default", this)), description_(new QPlainTextEdit(this)) {
    setObjectName("NewBinderDlg");
    setWindowTitle("New Binder Wizard");
    auto* fields = new QFormLayout;
    fields->addRow("Directory for the binder", folder_);
    fields->addRow("Name", name_);
    fields->addRow("Description (Max Length 2000 characters)", description_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* finish = buttons->addButton("Finish", QDialogButtonBox::AcceptRole);
    finish->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

TNewBinderChoice TNewBinderPlaceholder::Choice() const {
    return {FromQ(folder_->text()), FromQ(name_->text()), FromQ(description_->toPlainText())};
}

TAddItemPlaceholder::TAddItemPlaceholder(QWidget* owner, int mode)
    : QDialog(owner), url_(new QLineEdit(this)), title_(new QLineEdit(this)),
      page_(new QRadioButton("Web Page", this)), note_(new QRadioButton("Note", this)),
      link_(new QRadioButton("Link", this)) {
    setObjectName("FormLoc");
    setWindowTitle("Add Item");
    setProperty("dialogMode", mode);
    page_->setChecked(true);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(page_);
    kinds->addWidget(note_);
    kinds->addWidget(link_);
    auto* fields = new QFormLayout;
    fields->addRow("URL", url_);
    fields->addRow("Title", title_);
    fields->addRow(kinds);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    resize(480, sizeHint().height());
}

TModalResult TAddItemPlaceholder::ShowModal() {
    return exec() == QDialog::Accepted ? TModalResult::Ok : TModalResult::Cancel;
}

std::string TAddItemPlaceholder::Url() const {
    return FromQ(url_->text());
}

void TAddItemPlaceholder::SetUrl(const std::string& url) {
    url_->setText(ToQ(url));
}

std::string TAddItemPlaceholder::Title() const {
    return FromQ(title_->text());
}

void TAddItemPlaceholder::SetTitle(const std::string& title) {
    title_->setText(ToQ(title));
}

NodeKind TAddItemPlaceholder::ItemKind() const {
    if (note_->isChecked()) {
        return NodeKind::Notes;
    }
    return link_->isChecked() ? NodeKind::Link : NodeKind::WebPage;
}
