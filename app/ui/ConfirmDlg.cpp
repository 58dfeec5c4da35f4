#include "app/ui/ConfirmDlg.h"

#include "platform/widgets/FormControls.h"

#include "platform/base/QtText.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

TForm5::TForm5(QWidget* owner, const std::string& text, bool* setting)
    : QDialog(owner), Button1(new QPushButton("OK", this)),
      Button2(new QPushButton("Cancel", this)), Label1(new QLabel(this)),
      CheckBox1(new QCheckBox("Don't show this message again", this)), setting_(setting) {
    setObjectName("Form5");
    setWindowTitle("Confirm");
    Label1->setText(ToQ(text));
    Label1->setTextFormat(Qt::PlainText);
    Label1->adjustSize();
    Label1->move(16, 12);
    CheckBox1->adjustSize();
    CheckBox1->move(16, 36);
    Button1->setDefault(true);
    Button1->setGeometry(44, 62, 75, 25);
    Button2->setGeometry(132, 62, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    // A long question widens the form to the label and a margin.
    int width = 251;
    width = std::max(width, Label1->width() + 30);
    width = std::max(width, CheckBox1->x() + CheckBox1->width() + 16);
    setFixedSize(width, 94);
    NameControls(
        {{Button1, "Button1"}, {Button2, "Button2"}, {Label1, "Label1"}, {CheckBox1, "CheckBox1"}});
}

TModalResult TForm5::ShowModal() {
    return exec() == QDialog::Accepted ? TModalResult::Ok : TModalResult::Cancel;
}

void TForm5::done(int result) {
    if (CheckBox1->isChecked() && setting_ != nullptr) {
        *setting_ = false;
    }
    QDialog::done(result);
}
