#include "app/ui/dialogs/UnitTablesize.h"

#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/DialogButtons.h"
#include "platform/widgets/FormControls.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm2::TForm2(QWidget* owner) : QDialog(owner) {
    setObjectName("Form2");
    setWindowTitle("Insert Table");
    setMinimumSize(269, 251);

    GroupBox1 = new QGroupBox("Table Size", this);
    Label1 = new QLabel("Number of rows:", GroupBox1);
    Label2 = new QLabel("Number of columns:", GroupBox1);
    CSpinEdit1 = new TCSpinEdit(GroupBox1, 1, 1000, 2);
    CSpinEdit2 = new TCSpinEdit(GroupBox1, 1, 1000, 2);
    LayOutLabelledEdits(*GroupBox1, {{Label1, CSpinEdit1}, {Label2, CSpinEdit2}});

    RadioGroup1 = new QGroupBox("Table Layout", this);
    AutoSizeItem = new QRadioButton("AutoSize ", RadioGroup1);
    ManualItem = new QRadioButton("Size table manually", RadioGroup1);
    AutoSizeItem->setChecked(true);
    CSpinEdit3 = new TCSpinEdit(RadioGroup1, 1, 1000, 100, 5);
    CSpinEdit3->setEnabled(false);
    StaticText1 = new QLabel("Percent", RadioGroup1);
    auto* percent = new QHBoxLayout;
    percent->addSpacing(20);
    percent->addWidget(CSpinEdit3);
    percent->addWidget(StaticText1);
    percent->addStretch();
    auto* items = new QVBoxLayout(RadioGroup1);
    items->addWidget(AutoSizeItem);
    items->addWidget(ManualItem);
    items->addLayout(percent);
    connect(ManualItem, &QRadioButton::toggled, this, [this] { RadioGroup1Click(); });

    QDialogButtonBox* buttons = AddOkCancel(*this, Button1, Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(RadioGroup1);
    layout->addStretch();
    layout->addWidget(buttons);
    NameControls({{Button1, "Button1"},
                  {Button2, "Button2"},
                  {GroupBox1, "GroupBox1"},
                  {Label1, "Label1"},
                  {Label2, "Label2"},
                  {CSpinEdit1, "CSpinEdit1"},
                  {CSpinEdit2, "CSpinEdit2"},
                  {RadioGroup1, "RadioGroup1"},
                  {CSpinEdit3, "CSpinEdit3"},
                  {StaticText1, "StaticText1"}});
    CentreOnScreen(*this);
}

int TForm2::Rows() const {
    return CSpinEdit1->value();
}

int TForm2::Cols() const {
    return CSpinEdit2->value();
}

int TForm2::LayoutIndex() const {
    return ManualItem->isChecked() ? 1 : 0;
}

void TForm2::SetLayoutIndex(int index) {
    (index == 1 ? ManualItem : AutoSizeItem)->setChecked(true);
}

int TForm2::PercentWidth() const {
    return CSpinEdit3->value();
}

void TForm2::RadioGroup1Click() {
    CSpinEdit3->setEnabled(LayoutIndex() == 1);
}
