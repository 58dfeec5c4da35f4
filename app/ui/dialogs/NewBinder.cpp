#include "app/ui/dialogs/NewBinder.h"

#include "platform/widgets/FormControls.h"

#include "platform/base/QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Why the binder's folder or name (`what`) cannot be `text`, for the user; empty when it can.
// The binder file writes a blank as "%20" and reads every "%20" back as a blank, so a "%20" of
// the user's own would come back as a blank: the binder's tree and pages would go to a folder
// never chosen.
std::string EncodedBlankRefusal(const char* what, const std::string& text) {
    if (text.find("%20") == std::string::npos) {
        return {};
    }
    return std::string("The binder's ") + what + " cannot contain \"%20\".";
}

} // namespace

bool ValidBinderName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\") == std::string::npos;
}

TNewBinderDlg::TNewBinderDlg(QWidget* owner, const std::string& defaultFolder)
    : QDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      defaultFolder_(defaultFolder) {
    setObjectName("NewBinderDlg");
    setWindowTitle("New Binder Wizard");
    resize(399, 191);

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget;
    PageControl1->addTab(TabSheet1, "Diretory Location");
    Label1 = new QLabel("Directory for the binder", TabSheet1);
    Edit1 = new QLineEdit(ToQ(defaultFolder), TabSheet1);
    Button4 = new QPushButton("...", TabSheet1);
    Button4->setAutoDefault(false);
    auto* folder = new QGridLayout(TabSheet1);
    folder->addWidget(Label1, 0, 0, 1, 2);
    folder->addWidget(Edit1, 1, 0);
    folder->addWidget(Button4, 1, 1);
    folder->setRowStretch(2, 1);

    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet2, "Binder Infomation");
    Label2 = new QLabel("Name", TabSheet2);
    Edit2 = new QLineEdit("Default", TabSheet2);
    Label3 = new QLabel("Description (Max Length 2000 characters)", TabSheet2);
    Edit3 = new QPlainTextEdit(TabSheet2);
    Edit3->setToolTip("Max Length is 2000 Character");
    auto* info = new QGridLayout(TabSheet2);
    info->addWidget(Label2, 0, 0);
    info->addWidget(Edit2, 0, 1);
    info->addWidget(Label3, 1, 0, 1, 2);
    info->addWidget(Edit3, 2, 0, 1, 2);
    PageControl1->setCurrentWidget(TabSheet1);

    Button6 = new QPushButton("Next >>", this);
    Button6->setDefault(true);
    Button7 = new QPushButton("Finish", this);
    Button7->setEnabled(false);
    Button7->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button6);
    buttons->addWidget(Button7);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    connect(Button6, &QPushButton::clicked, this, &TNewBinderDlg::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TNewBinderDlg::Button7Click);
    connect(Button4, &QPushButton::clicked, this, &TNewBinderDlg::Button4Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TNewBinderDlg::UpdateFinish);
    // A tab the user clicks has already changed the page; the routine then agrees with it.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (!moving_) {
            Button6Click();
        }
    });
    NameControls({{PageControl1, "PageControl1"},
                  {TabSheet1, "TabSheet1"},
                  {Label1, "Label1"},
                  {Edit1, "Edit1"},
                  {Button4, "Button4"},
                  {TabSheet2, "TabSheet2"},
                  {Edit2, "Edit2"},
                  {Button6, "Button6"},
                  {Button7, "Button7"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {Edit3, "Edit3"}});
}

void TNewBinderDlg::Button6Click() {
    moving_ = true;
    const bool next = Button6->text().contains("Next");
    PageControl1->setCurrentWidget(next ? TabSheet2 : TabSheet1);
    Button6->setText(next ? "<<Previous" : "Next>>");
    Button6->setDefault(!next);
    Button7->setDefault(next);
    moving_ = false;
    UpdateFinish();
}

void TNewBinderDlg::UpdateFinish() {
    Button7->setEnabled(PageControl1->currentWidget() == TabSheet2 &&
                        ValidBinderName(FromQ(Edit2->text())));
}

void TNewBinderDlg::Button7Click() {
    const std::string folder = EncodedBlankRefusal("folder", FromQ(Edit1->text()));
    const std::string refusal =
        folder.empty() ? EncodedBlankRefusal("name", FromQ(Edit2->text())) : folder;
    if (refusal.empty()) {
        accept();
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), ToQ(refusal), QMessageBox::Ok, this);
    box.exec();
    // Back to the field at fault, ready to be typed over.
    QLineEdit* field = folder.empty() ? Edit2 : Edit1;
    if (!folder.empty() && PageControl1->currentWidget() != TabSheet1) {
        Button6Click();
    }
    field->setFocus();
    field->selectAll();
}

void TNewBinderDlg::Button4Click() {
    const std::string start = defaultFolder_.empty() ? FromQ(QDir::homePath()) : defaultFolder_;
    if (const std::optional<std::string> chosen = ChooseFolder(start)) {
        chosenFolder_ = *chosen;
        Edit1->setText(ToQ(chosenFolder_));
    }
}

std::optional<std::string> TNewBinderDlg::ChooseFolder(const std::string& start) {
    const QString chosen = QFileDialog::getExistingDirectory(this, QString(), ToQ(start));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return FromQ(chosen);
}

TNewBinderChoice TNewBinderDlg::Choice() const {
    return {FromQ(Edit1->text()), FromQ(Edit2->text()), FromQ(Edit3->toPlainText())};
}

std::optional<TNewBinderChoice> ShowNewBinderDialog(QWidget* owner,
                                                    const std::string& startFolder) {
    TNewBinderDlg wizard(owner, startFolder);
    if (wizard.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return wizard.Choice();
}
