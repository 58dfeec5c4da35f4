#include "app/ui/dialogs/UnitOption.h"

#include "app/binder/Settings.h"
#include "app/ui/dialogs/DialogButtons.h"
#include "platform/widgets/FormControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr char ReloadText[] = "The binder will be reload for this change to take effect    ";

} // namespace

TOptionDlg::TOptionDlg(QWidget* owner) : QDialog(owner) {
    setObjectName("OptionDlg");
    setWindowTitle("Option");
    resize(326, 279);

    PageControl1 = new QTabWidget(this);
    auto* general = new QWidget;
    PageControl1->addTab(general, "General");
    auto* generalLayout = new QGridLayout(general);
    // The check boxes carry no caption: the label beside each says what it is.
    const auto row = [&](QCheckBox*& box, QLabel*& label, const char* text, int line) {
        box = new QCheckBox(general);
        label = new QLabel(text, general);
        label->setBuddy(box);
        generalLayout->addWidget(box, line, 0);
        generalLayout->addWidget(label, line, 1);
    };
    row(CheckBox1, Label1, "Generate Html  file for page display", 0);
    row(CheckBox2, Label2, "Strip script when showing page", 1);
    row(CheckBox5, Label3, "Recursively import html files from directory", 2);
    auto* radioGroup = new QGroupBox("Page List", general);
    ListByUrl = new QRadioButton("List page by URL", radioGroup);
    ListByTitle = new QRadioButton("List page by Title", radioGroup);
    ListByUrl->setChecked(true);
    auto* items = new QButtonGroup(radioGroup);
    items->addButton(ListByUrl, 0);
    items->addButton(ListByTitle, 1);
    auto* radioLayout = new QVBoxLayout(radioGroup);
    radioLayout->addWidget(ListByUrl);
    radioLayout->addWidget(ListByTitle);
    generalLayout->addWidget(radioGroup, 3, 0, 1, 2);
    generalLayout->setColumnStretch(1, 1);
    generalLayout->setRowStretch(4, 1);

    auto* prompt = new QWidget;
    PageControl1->addTab(prompt, "Prompt");
    CheckBox3 = new QCheckBox("Ask Before Delete Node", prompt);
    CheckBox4 = new QCheckBox("Ask Before Close", prompt);
    CheckBox6 = new QCheckBox("Show Tips at Startup", prompt);
    for (QCheckBox* box : {CheckBox3, CheckBox4, CheckBox6}) {
        box->setChecked(true);
    }
    auto* promptLayout = new QVBoxLayout(prompt);
    promptLayout->addWidget(CheckBox3);
    promptLayout->addWidget(CheckBox4);
    promptLayout->addWidget(CheckBox6);
    promptLayout->addStretch();

    QDialogButtonBox* buttons = AddOkCancel(*this, OKBtn, CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons);

    NameControls({{OKBtn, "OKBtn"},
                  {CancelBtn, "CancelBtn"},
                  {PageControl1, "PageControl1"},
                  {CheckBox1, "CheckBox1"},
                  {CheckBox2, "CheckBox2"},
                  {CheckBox5, "CheckBox5"},
                  {Label1, "Label1"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {radioGroup, "RadioGroup1"},
                  {ListByUrl, "ListByUrl"},
                  {ListByTitle, "ListByTitle"},
                  {CheckBox3, "CheckBox3"},
                  {CheckBox4, "CheckBox4"},
                  {CheckBox6, "CheckBox6"}});
}

void TOptionDlg::LoadFrom(const TSettings& settings) {
    CheckBox1->setChecked(settings.ShowPageViaFile);
    CheckBox2->setChecked(settings.StripScript);
    CheckBox5->setChecked(settings.RecursiveImport);
    CheckBox3->setChecked(settings.AskBeforeDelete);
    CheckBox4->setChecked(settings.AskBeforeClose);
    CheckBox6->setChecked(settings.ShowTips);
    (settings.ListMode == 1 ? ListByUrl : ListByTitle)->setChecked(true);
}

void TOptionDlg::StoreInto(TSettings& settings) const {
    settings.ListMode = PageListItem() != 0 ? 2 : 1;
    settings.ShowPageViaFile = CheckBox1->isChecked();
    settings.StripScript = CheckBox2->isChecked();
    settings.RecursiveImport = CheckBox5->isChecked();
    settings.AskBeforeDelete = CheckBox3->isChecked();
    settings.AskBeforeClose = CheckBox4->isChecked();
    settings.ShowTips = CheckBox6->isChecked();
}

int TOptionDlg::PageListItem() const {
    return ListByUrl->isChecked() ? 0 : 1;
}

void TOptionDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TOptionDlg::FormShow() {
    shownByUrl_ = PageListItem() == 0;
    reloadNeeded_ = false;
}

void TOptionDlg::done(int result) {
    if ((PageListItem() == 0) != shownByUrl_) {
        reloadNeeded_ = true;
        ShowChangeMessage();
    }
    QDialog::done(result);
}

void TOptionDlg::ShowChangeMessage() {
    QMessageBox box(QMessageBox::NoIcon, "Change Option", ReloadText, QMessageBox::Ok, this);
    box.exec();
}
