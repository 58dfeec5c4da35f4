#include "app/ui/dialogs/splitdlg.h"

#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/DialogButtons.h"
#include "platform/widgets/FormControls.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TOKBottomDlg::TOKBottomDlg(QWidget* owner) : QDialog(owner) {
    setObjectName("OKBottomDlg");
    setWindowTitle("Split");
    setMinimumSize(260, 175);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Label1 = new QLabel("Number of columns:", Bevel1);
    Label2 = new QLabel("Number of rows:", Bevel1);
    CSpinEdit1 = new TCSpinEdit(Bevel1, 2, 100, 2);
    CSpinEdit2 = new TCSpinEdit(Bevel1, 2, 100, 2);
    Label1->setBuddy(CSpinEdit1);
    Label2->setBuddy(CSpinEdit2);
    auto* grid = new QGridLayout(Bevel1);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(CSpinEdit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(CSpinEdit2, 1, 1);

    QDialogButtonBox* buttons = AddOkCancel(*this, OKBtn, CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addStretch();
    layout->addWidget(buttons);
    NameControls({{OKBtn, "OKBtn"},
                  {CancelBtn, "CancelBtn"},
                  {Bevel1, "Bevel1"},
                  {Label1, "Label1"},
                  {Label2, "Label2"},
                  {CSpinEdit1, "CSpinEdit1"},
                  {CSpinEdit2, "CSpinEdit2"}});
    CentreOnScreen(*this);
}

int TOKBottomDlg::Cols() const {
    return CSpinEdit1->value();
}

int TOKBottomDlg::Rows() const {
    return CSpinEdit2->value();
}
