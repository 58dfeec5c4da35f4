#include "app/ui/dialogs/splitdlg.h"

#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/DialogButtons.h"
#include "platform/widgets/FormControls.h"

#include <QDialogButtonBox>
#include <QFrame>
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
    LayOutLabelledEdits(*Bevel1, {{Label1, CSpinEdit1}, {Label2, CSpinEdit2}});

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
