#include "app/ui/dialogs/URLDlg.h"

#include "app/ui/dialogs/DialogButtons.h"
#include "platform/base/QtText.h"
#include "platform/widgets/FormControls.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDlgChgurl::TDlgChgurl(QWidget* owner) : QDialog(owner) {
    setObjectName("DlgChgurl");
    setWindowTitle("Change URL");
    resize(476, 143);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Label1 = new QLabel("New URL", Bevel1);
    Edit1 = new QLineEdit(Bevel1);
    Label1->setBuddy(Edit1);
    auto* frame = new QVBoxLayout(Bevel1);
    frame->addWidget(Label1);
    frame->addWidget(Edit1);

    QDialogButtonBox* buttons = AddOkCancel(*this, OKBtn, CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addStretch();
    layout->addWidget(buttons);
    NameControls({{OKBtn, "OKBtn"},
                  {CancelBtn, "CancelBtn"},
                  {Bevel1, "Bevel1"},
                  {Label1, "Label1"},
                  {Edit1, "Edit1"}});
}

void TDlgChgurl::SetUrl(const std::string& url) {
    Edit1->setText(ToQ(url));
}

std::string TDlgChgurl::Url() const {
    return FromQ(Edit1->text());
}
